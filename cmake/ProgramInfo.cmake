# The generated header that carries the version and the install layout into the code, as the
# header-only library quandrelle_program_info.

string(SUBSTRING "${QUANDRELLE_RELEASE_DATE}" 0 4 quandrelle_release_year)
string(SUBSTRING "${QUANDRELLE_RELEASE_DATE}" 5 2 quandrelle_release_month_number)
math(EXPR quandrelle_release_month_index "${quandrelle_release_month_number} - 1")
set(quandrelle_month_names January February March April May June July August September October November
    December)
list(GET quandrelle_month_names ${quandrelle_release_month_index} quandrelle_release_month_name)
set(QUANDRELLE_RELEASE_MONTH "${quandrelle_release_month_name} ${quandrelle_release_year}")

# Relative, so that an installed tree can be moved to another prefix and still find its data.
file(RELATIVE_PATH QUANDRELLE_SHARED_DATA_FROM_BIN "${CMAKE_INSTALL_FULL_BINDIR}"
     "${CMAKE_INSTALL_FULL_DATADIR}/${QUANDRELLE_PROGRAM_NAME}")
set(QUANDRELLE_SHARED_DATA_DIR "${CMAKE_INSTALL_DATADIR}/${QUANDRELLE_PROGRAM_NAME}")

set(quandrelle_generated_include ${CMAKE_BINARY_DIR}/generated/include)
configure_file(${CMAKE_CURRENT_LIST_DIR}/ProgramInfo.h.in
               ${quandrelle_generated_include}/quandrelle/ProgramInfo.h @ONLY)

add_library(quandrelle_program_info INTERFACE)
target_include_directories(quandrelle_program_info INTERFACE ${quandrelle_generated_include})
