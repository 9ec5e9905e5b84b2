# quandrelle_add_man_page(NAME.1.in): the manual page of a program, with the version filled in,
# compressed as Debian keeps manual pages and installed in section 1.
function(quandrelle_add_man_page template)
  string(REGEX REPLACE "\\.in$" "" page "${template}")
  set(filled ${CMAKE_CURRENT_BINARY_DIR}/${page})
  configure_file(${template} ${filled} @ONLY)
  add_custom_command(
    OUTPUT ${filled}.gz
    COMMAND gzip -9 -n -c ${filled} > ${filled}.gz
    DEPENDS ${filled}
    COMMENT "Compressing the manual page ${page}")
  add_custom_target(man_${page} ALL DEPENDS ${filled}.gz)
  install(FILES ${filled}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endfunction()
