// The layers hold: no file of src/ includes a header of a layer its own layer does not build on. The
// table is src/CMakeLists.txt itself — its tarvelo_library(), tarvelo_program() and
// target_link_libraries() lines — so the check and the build cannot disagree.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

const fs::path kSource = TARVELO_SOURCE_DIR;

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// The layers as src/CMakeLists.txt declares them: each library or program with its folder and the
// targets it links.
struct Layers {
    std::map<std::string, std::string> folderOf;                  // target -> folder below src/
    std::map<std::string, std::set<std::string>> links;             // target -> targets it links
    std::map<std::string, std::string> targetOfFolder;            // folder -> target

    // Everything a target builds on, itself included.
    std::set<std::string> reach(const std::string& target) const {
        std::set<std::string> seen{target};
        std::vector<std::string> todo{target};
        while (!todo.empty()) {
            const std::string t = todo.back();
            todo.pop_back();
            const auto it = links.find(t);
            if (it == links.end()) continue;
            for (const std::string& next : it->second)
                if (seen.insert(next).second) todo.push_back(next);
        }
        return seen;
    }
    bool usesQt(const std::string& target) const {
        for (const std::string& t : reach(target))
            if (t.rfind("Qt6::", 0) == 0) return true;
        return false;
    }
};

Layers readLayers(const std::string& cmake) {
    Layers layers;
    // Comments out, then every call as one string of words.
    const std::string text = std::regex_replace(cmake, std::regex("#[^\n]*"), "");
    const std::regex call(R"((tarvelo_library|tarvelo_program|target_link_libraries)\s*\(([^)]*)\))");
    for (auto it = std::sregex_iterator(text.begin(), text.end(), call); it != std::sregex_iterator(); ++it) {
        std::istringstream args((*it)[2].str());
        std::vector<std::string> words;
        for (std::string w; args >> w;) words.push_back(w);
        if (words.empty()) continue;
        const std::string command = (*it)[1];
        if (command == "target_link_libraries") {
            for (std::size_t i = 1; i < words.size(); ++i) {
                if (words[i] == "PUBLIC" || words[i] == "PRIVATE" || words[i] == "INTERFACE") continue;
                layers.links[words[0]].insert(words[i]);
            }
            continue;
        }
        if (words.size() < 2) continue;
        layers.folderOf[words[0]] = words[1];
        layers.targetOfFolder[words[1]] = words[0];
        for (std::size_t i = 2; i < words.size(); ++i) layers.links[words[0]].insert(words[i]);  // a program's links
    }
    return layers;
}

struct Include {
    std::string header;
    bool quoted;
    int line;
};

std::vector<Include> includesOf(const fs::path& file) {
    std::vector<Include> out;
    std::istringstream in(readFile(file));
    const std::regex include(R"(^\s*#\s*include\s*([<"])([^">]+)[">])");
    int n = 0;
    for (std::string line; std::getline(in, line);) {
        ++n;
        std::smatch m;
        if (std::regex_search(line, m, include)) out.push_back({m[2], m[1] == "\"", n});
    }
    return out;
}

class LayersTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(fs::exists(kSource / "src" / "CMakeLists.txt"));
        layers = readLayers(readFile(kSource / "src" / "CMakeLists.txt"));
        ASSERT_FALSE(layers.folderOf.empty());
    }
    static std::string folderOf(const fs::path& relative) { return relative.parent_path().generic_string(); }

    Layers layers;
};

TEST_F(LayersTest, EveryFileIncludesOnlyHeadersOfItsOwnLayerOrOfLayersItBuildsOn) {
    std::vector<std::string> problems;
    for (const auto& entry : fs::recursive_directory_iterator(kSource / "src")) {
        const fs::path ext = entry.path().extension();
        if (!entry.is_regular_file() || (ext != ".h" && ext != ".cpp")) continue;
        const fs::path relative = fs::relative(entry.path(), kSource / "src");
        const auto owner = layers.targetOfFolder.find(folderOf(relative));
        if (owner == layers.targetOfFolder.end()) {
            problems.push_back(relative.generic_string() + " lies in a folder no layer builds");
            continue;
        }
        const std::set<std::string> reach = layers.reach(owner->second);
        const bool qt = layers.usesQt(owner->second);
        for (const Include& inc : includesOf(entry.path())) {
            const std::string where = relative.generic_string() + ":" + std::to_string(inc.line) + " ";
            if (!inc.quoted) {
                // A Qt header where the layer does not link Qt: logic must stay free of it.
                if (!qt && inc.header.size() > 1 && inc.header[0] == 'Q' && std::isupper(inc.header[1]))
                    problems.push_back(where + "includes <" + inc.header + "> in a layer without Qt");
                continue;
            }
            const auto layer = layers.targetOfFolder.find(folderOf(inc.header));
            if (layer == layers.targetOfFolder.end()) {
                problems.push_back(where + "includes \"" + inc.header + "\", which is in no layer");
            } else if (!reach.count(layer->second)) {
                problems.push_back(where + "includes \"" + inc.header + "\" of " + layer->second + ", which " +
                                   owner->second + " does not build on");
            }
        }
    }
    std::string all;
    for (const std::string& p : problems) all += "\n  " + p;
    EXPECT_TRUE(problems.empty()) << problems.size() << " include(s) across the layers:" << all;
}

TEST_F(LayersTest, TheTableIsReadAsTheBuildDeclaresIt) {
    // A few facts that must hold whatever else changes, so a misread table cannot pass the check above.
    EXPECT_EQ(layers.folderOf.at("tarvelo_core"), "core");
    EXPECT_TRUE(layers.reach("tarvelo_data").count("tarvelo_store"));
    EXPECT_FALSE(layers.reach("tarvelo_store").count("tarvelo_data"));
    EXPECT_FALSE(layers.usesQt("tarvelo_tasks")) << "the logic builds without Qt";
    EXPECT_FALSE(layers.usesQt("tarvelo_calendar")) << "calendar files are written and read without Qt";
    EXPECT_TRUE(layers.usesQt("tarvelo_tasks_windows"));
    EXPECT_FALSE(layers.usesQt("tarvelo96-watch")) << "the watcher, started with every program, loads no Qt";
    EXPECT_FALSE(layers.reach("tarvelo96-watch").count("PkgConfig::ICU")) << "nor ICU: the run log's keys are ASCII";
    EXPECT_TRUE(layers.reach("tarvelo_search").count("PkgConfig::ICU")) << "the search folds its texts itself";
    EXPECT_FALSE(layers.reach("tarvelo96-cli").count("Qt6::Gui")) << "only the PDF writer loads Qt GUI";
}

}  // namespace
