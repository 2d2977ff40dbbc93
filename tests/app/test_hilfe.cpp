// The help pages are opened from the program folder in a browser, offline: every link, anchor and
// picture they use must be there, and both languages must tell the same manual.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace kelani {
namespace {

const std::filesystem::path kSource = KELANI_SOURCE_DIR;
const std::filesystem::path kHilfe = kSource / "hilfe";
const std::vector<std::string> kPages = {"start.htm", "start_e.htm"};

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Every value of `attribute` in the page, in order.
std::vector<std::string> Attributes(const std::string& page, const std::string& attribute) {
    std::vector<std::string> values;
    const std::regex pattern("\\s" + attribute + "=\"([^\"]*)\"");
    for (auto it = std::sregex_iterator(page.begin(), page.end(), pattern); it != std::sregex_iterator();
         ++it)
        values.push_back((*it)[1]);
    return values;
}

std::set<std::string> Ids(const std::string& page) {
    const auto ids = Attributes(page, "id");
    return {ids.begin(), ids.end()};
}

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

TEST(Hilfe, TheGameOpensPagesThatExist) {
    // The help command appends the script's "c_helpfile" to the program folder.
    const std::string script = ReadFile(kSource / "app/lng/tfspielfeld.lng");
    const std::regex key("c_helpfile=hilfe\\\\(\\S+)");
    std::set<std::string> opened;
    for (auto it = std::sregex_iterator(script.begin(), script.end(), key); it != std::sregex_iterator();
         ++it)
        opened.insert((*it)[1]);
    EXPECT_EQ(opened, std::set<std::string>(kPages.begin(), kPages.end()));
    for (const auto& page : kPages) {
        const std::string text = ReadFile(kHilfe / page);
        ASSERT_FALSE(text.empty()) << page;
        EXPECT_NE(text.find("<!DOCTYPE html>"), std::string::npos) << page;
        EXPECT_NE(text.find("<meta charset=\"utf-8\">"), std::string::npos) << page;
    }
}

TEST(Hilfe, EveryLinkAnchorAndPictureResolvesOffline) {
    for (const auto& page : kPages) {
        const std::string text = ReadFile(kHilfe / page);
        const auto ids = Ids(text);
        std::vector<std::string> targets = Attributes(text, "href");
        const auto sources = Attributes(text, "src");
        targets.insert(targets.end(), sources.begin(), sources.end());
        ASSERT_FALSE(targets.empty()) << page;
        for (const auto& target : targets) {
            EXPECT_EQ(target.find("://"), std::string::npos) << page << " needs the network: " << target;
            const auto hash = target.find('#');
            const std::string file = target.substr(0, hash);
            if (!file.empty()) {
                EXPECT_TRUE(std::filesystem::exists(kHilfe / file)) << page << ": " << target;
            } else if (hash != std::string::npos) {
                EXPECT_TRUE(ids.count(target.substr(hash + 1))) << page << ": no anchor " << target;
            }
        }
        EXPECT_EQ(Lower(text).find("<script"), std::string::npos) << page;
    }
}

TEST(Hilfe, ElementsAreClosedInOrder) {
    const std::set<std::string> voids = {"meta", "link", "br", "img", "hr", "input"};
    const std::regex tag("<(/?)([a-zA-Z][a-zA-Z0-9]*)[^>]*>");
    for (const auto& page : kPages) {
        const std::string text =
            std::regex_replace(ReadFile(kHilfe / page), std::regex("<!--[\\s\\S]*?-->"), "");
        std::vector<std::string> open;
        for (auto it = std::sregex_iterator(text.begin(), text.end(), tag); it != std::sregex_iterator();
             ++it) {
            const std::string name = Lower((*it)[2]);
            if (voids.count(name)) continue;
            if ((*it)[1].length() == 0) {
                open.push_back(name);
                continue;
            }
            ASSERT_FALSE(open.empty()) << page << ": stray </" << name << ">";
            ASSERT_EQ(open.back(), name) << page << ": </" << name << "> closes <" << open.back() << ">";
            open.pop_back();
        }
        EXPECT_TRUE(open.empty()) << page << ": " << open.size() << " elements left open";
    }
}

TEST(Hilfe, BothLanguagesHaveTheSameSectionsAndAllSixVariants) {
    const std::string german = ReadFile(kHilfe / "start.htm");
    const std::string english = ReadFile(kHilfe / "start_e.htm");
    const auto sections = Ids(german);
    EXPECT_EQ(sections, Ids(english));
    for (int v = 1; v <= 6; ++v) {
        const std::string n = std::to_string(v);
        EXPECT_TRUE(sections.count("v" + n)) << "section of variant " << n;
        EXPECT_NE(german.find("Variante " + n), std::string::npos) << n;
        EXPECT_NE(Lower(english).find("variant " + n), std::string::npos) << n;
    }
}

} // namespace
} // namespace kelani
