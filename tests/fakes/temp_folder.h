#pragma once
// Folders of their own for the tests: every test and helper makes its temporary folder here.
#include <stdlib.h>

#include <filesystem>
#include <string>
#include <system_error>

namespace tarvelo::test {

// A new empty folder in the system's temporary folder, named prefix and six random characters; empty
// when it could not be made. The caller removes it.
inline std::string makeTempFolder(const std::string& prefix = "tarvelo-test") {
    std::string pattern = (std::filesystem::temp_directory_path() / (prefix + "-XXXXXX")).string();
    return ::mkdtemp(pattern.data()) ? pattern : std::string();
}

// A folder of its own for one test, removed with everything in it when the test ends.
class TempFolder {
public:
    explicit TempFolder(const std::string& prefix = "tarvelo-test") : m_path(makeTempFolder(prefix)) {}
    ~TempFolder() {
        std::error_code ignored;
        if (!m_path.empty()) std::filesystem::remove_all(m_path, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& path() const { return m_path; }
    std::string file(const std::string& name) const { return m_path + "/" + name; }

private:
    std::string m_path;
};

}  // namespace tarvelo::test
