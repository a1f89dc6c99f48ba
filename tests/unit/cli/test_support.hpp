#pragma once

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include <boost/filesystem.hpp>

#include "cli/help_text.hpp"

namespace testsupport {

// Collects what is written to a standard stream while it lives.
class Capture {
public:
    explicit Capture(std::ostream& os = std::cout) : m_os(os), m_old(os.rdbuf(m_buf.rdbuf())) {}
    ~Capture() { m_os.rdbuf(m_old); }
    Capture(const Capture&) = delete;
    Capture& operator=(const Capture&) = delete;

    std::string text() const { return m_buf.str(); }

private:
    std::ostream& m_os;
    std::ostringstream m_buf;
    std::streambuf* m_old;
};

// Serves a text as standard input while it lives.
class Feed {
public:
    explicit Feed(const std::string& text)
        : m_buf(text, std::ios::in), m_old(std::cin.rdbuf(&m_buf)) {
        std::cin.clear();
    }
    ~Feed() {
        std::cin.rdbuf(m_old);
        std::cin.clear();
    }
    Feed(const Feed&) = delete;
    Feed& operator=(const Feed&) = delete;

    // What has not been read yet.
    std::string rest() {
        const auto at = m_buf.pubseekoff(0, std::ios::cur, std::ios::in);
        return m_buf.str().substr(static_cast<std::size_t>(at));
    }

private:
    std::stringbuf m_buf;
    std::streambuf* m_old;
};

// A fresh directory under the system's temporary directory, removed with
// everything in it at the end.
class TempDir {
public:
    TempDir() {
        m_path = boost::filesystem::temp_directory_path() /
                 boost::filesystem::unique_path("tarvo-test-%%%%-%%%%-%%%%");
        boost::filesystem::create_directories(m_path);
    }
    ~TempDir() {
        boost::system::error_code ec;
        boost::filesystem::remove_all(m_path, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    std::string path() const { return m_path.string(); }

    // The names of the files in the directory ending in `suffix`, sorted.
    std::vector<std::string> files(const std::string& suffix = "") const {
        std::vector<std::string> names;
        for (const auto& entry : boost::filesystem::directory_iterator(m_path)) {
            const std::string name = entry.path().filename().string();
            if (name.size() >= suffix.size() &&
                name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0)
                names.push_back(name);
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    std::string read(const std::string& name) const {
        std::ifstream in((m_path / name).string(), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

private:
    boost::filesystem::path m_path;
};

// The colour of user-facing error lines.
const std::string RED = "\x1b[31m";
const std::string RESET = "\x1b[0m";

// What a command prints when its options select no action.
const std::string not_possible =
    "The set of options provided with the command was not possible.\n"
    "No action was able to be resolved.\n"
    "Please refer to the user's guide if needed.\n\n";

// What the command loop prints for a word that names no command.
inline std::string invalid_command(const std::string& word, const std::string& suggestion = "") {
    std::string text = RED + word + " was not a valid command.\n" + RESET;
    if (!suggestion.empty())
        text += "Did you perhaps mean: " + suggestion + " ?\n\n";
    return text + "\n" + cli::overview_text() + "\n";
}

inline std::vector<std::string> lines_of(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

}  // namespace testsupport
