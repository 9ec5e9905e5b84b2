#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace quandrelle::testing {

// A fresh folder for one test's record files, removed afterwards.
class TempFolder {
public:
    TempFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "quandrelle-XXXXXX").string();
        m_path = ::mkdtemp(pattern.data());
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::permissions(m_path, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ignored);
        std::filesystem::remove_all(m_path, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return m_path; }
    // The folder text as the data-folder rule gives it: ending in the separator.
    std::string folder() const { return m_path.string() + "/"; }
    std::filesystem::path file(const std::string& name) const { return m_path / name; }

    void write(const std::string& name, const std::string& bytes) const {
        std::ofstream out(file(name), std::ios::binary | std::ios::trunc);
        out << bytes;
    }
    std::string read(const std::string& name) const {
        std::ifstream in(file(name), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

private:
    std::filesystem::path m_path;
};

// A field as the file holds it: the text filled with blanks to its width.
inline std::string field(const std::string& text, std::size_t width) {
    std::string bytes = text.substr(0, width);
    bytes.resize(width, ' ');
    return bytes;
}

}  // namespace quandrelle::testing
