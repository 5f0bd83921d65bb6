#pragma once
// A fresh, empty folder for one test, used as XDG_CONFIG_HOME while the test runs; removed afterwards
// together with everything written into it. The previous XDG_CONFIG_HOME and HOME are put back.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>

#include "fakes/temp_folder.h"

namespace tarvelo::testing_support {

class TempConfig : public ::testing::Test {
protected:
    void SetUp() override {
        m_root = test::makeTempFolder("tarvelo-core");
        ASSERT_FALSE(m_root.empty());
        m_savedXdg = saved("XDG_CONFIG_HOME");
        m_savedHome = saved("HOME");
        ::setenv("XDG_CONFIG_HOME", m_root.c_str(), 1);
    }
    void TearDown() override {
        restore("XDG_CONFIG_HOME", m_savedXdg);
        restore("HOME", m_savedHome);
        std::error_code ec;
        std::filesystem::remove_all(m_root, ec);
    }

    // The folder the program keeps its INI files in, under this test's XDG_CONFIG_HOME.
    std::filesystem::path appFolder() const { return m_root / "tarvelo96"; }
    const std::filesystem::path& root() const { return m_root; }

    static void writeText(const std::filesystem::path& path, const std::string& text) {
        std::filesystem::create_directories(path.parent_path());
        std::ofstream out(path, std::ios::binary);
        out << text;
    }
    static std::string readText(const std::filesystem::path& path) {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }

private:
    static std::optional<std::string> saved(const char* name) {
        const char* v = std::getenv(name);
        return v ? std::optional<std::string>(v) : std::nullopt;
    }
    static void restore(const char* name, const std::optional<std::string>& value) {
        if (value) {
            ::setenv(name, value->c_str(), 1);
        } else {
            ::unsetenv(name);
        }
    }

    std::filesystem::path m_root;
    std::optional<std::string> m_savedXdg;
    std::optional<std::string> m_savedHome;
};

}  // namespace tarvelo::testing_support
