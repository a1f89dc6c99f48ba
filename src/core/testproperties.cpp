#include "core/testproperties.hpp"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <numeric>
#include <sstream>
#include <utility>

#include <boost/property_tree/json_parser.hpp>
#include <boost/property_tree/ptree.hpp>

#include "common/utility.hpp"
#include "core/testcases/testfilter.hpp"

namespace tarvo {

namespace pt = boost::property_tree;

namespace {

// Test-case files beyond this size are refused rather than read.
constexpr std::uintmax_t kMaxCatalogueBytes = 16u << 20;

const char* kind_of(const bool*) { return "true or false"; }
const char* kind_of(const int*) { return "an integer"; }
const char* kind_of(const float*) { return "a finite number"; }
const char* kind_of(const std::string*) { return "a text"; }

bool acceptable(const float& v) { return std::isfinite(v); }
template <typename T>
bool acceptable(const T&) { return true; }

const pt::ptree& member_node(const pt::ptree& entry, const std::string& entry_name,
                             const char* member) {
    auto child = entry.get_child_optional(pt::ptree::path_type(member, '\0'));
    if (!child) {
        throw pt::ptree_bad_path(
            "entry \"" + entry_name + "\" has no member \"" + member + "\"",
            pt::ptree::path_type(member, '\0'));
    }
    return *child;
}

[[noreturn]] void bad_value(const std::string& entry_name, const char* member, const char* kind,
                            const std::string& data) {
    throw pt::ptree_bad_data("member \"" + std::string(member) + "\" of entry \"" + entry_name +
                                 "\" is not " + kind + ": \"" + data + "\"",
                             data);
}

// A scalar member converted wholly to T.
template <typename T>
T read_member(const pt::ptree& entry, const std::string& entry_name, const char* member) {
    const pt::ptree& node = member_node(entry, entry_name, member);
    const T* kind = nullptr;
    if (!node.empty()) {
        bad_value(entry_name, member, kind_of(kind), "(an object or array)");
    }
    auto value = node.get_value_optional<T>();
    if (!value || !acceptable(*value)) {
        bad_value(entry_name, member, kind_of(kind), node.data());
    }
    return *value;
}

std::vector<std::string> read_dependencies(const pt::ptree& entry, const std::string& entry_name) {
    const char* member = "dependencies";
    const pt::ptree& node = member_node(entry, entry_name, member);
    if (node.empty() && !node.data().empty()) {
        bad_value(entry_name, member, "an array", node.data());
    }
    std::vector<std::string> deps;
    for (const auto& element : node) {
        if (!element.first.empty()) {
            bad_value(entry_name, member, "an array", "(an object)");
        }
        deps.push_back(element.second.data());
    }
    return deps;
}

types::TestData read_entry(const pt::ptree& entry, const std::string& name) {
    // Read in this order so the first missing member is the one reported.
    auto key = read_member<std::string>(entry, name, "key");
    auto reference = read_member<std::string>(entry, name, "reference");
    auto spec = read_member<float>(entry, name, "spec");
    auto group = read_member<std::string>(entry, name, "group");
    auto id = read_member<int>(entry, name, "id");
    auto vers = read_member<std::string>(entry, name, "vers");
    auto test_name = read_member<std::string>(entry, name, "name");
    auto description = read_member<std::string>(entry, name, "description");
    auto enabled = read_member<bool>(entry, name, "enabled");
    auto port = read_member<std::string>(entry, name, "port");
    auto deps = read_dependencies(entry, name);
    return types::TestData(key, reference, spec, group, id, vers, test_name, port, description,
                           enabled, deps);
}

// Calls fn with the ordering of option o; false for an option outside the nine.
template <typename Fn>
bool with_ordering(core::SortFilterOptions o, Fn&& fn) {
    switch (o) {
        case core::DEFAULT: fn(core::FilterTestSpecGroupID{}); return true;
        case core::SPEC: fn(core::FilterTestSpec{}); return true;
        case core::GROUP: fn(core::FilterTestGroup{}); return true;
        case core::ID: fn(core::FilterTestID{}); return true;
        case core::SPEC_AND_GROUP: fn(core::FilterTestSpecGroup{}); return true;
        case core::SPEC_AND_ID: fn(core::FilterTestSpecID{}); return true;
        case core::GROUP_AND_ID: fn(core::FilterTestGroupID{}); return true;
        case core::GROUP_SPEC_AND_ID: fn(core::FilterTestGroupSpecID{}); return true;
        case core::ID_SPEC_GROUP: fn(core::FilterTestIDSpecGroup{}); return true;
        default: return false;
    }
}

void sort_natural(std::vector<types::TestData>& v) {
    std::stable_sort(v.begin(), v.end(), [](const types::TestData& a, const types::TestData& b) {
        return static_cast<const types::TestID&>(a) < static_cast<const types::TestID&>(b);
    });
}

// Boost.PropertyTree's JSON reader run straight over the bytes of text: the
// parser, tree and errors of read_json on a stream, without a stream-buffer
// call for every character (the catalogue is read at every start).
pt::ptree parse_json(const std::string& text) {
    namespace jp = pt::json_parser::detail;
    jp::standard_callbacks<pt::ptree> callbacks;
    jp::encoding<char> encoding;
    const char* first = text.data();
    jp::read_json_internal(first, first + text.size(), encoding, callbacks, std::string());
    pt::ptree root;
    root.swap(callbacks.output());
    return root;
}

std::string read_file(const std::string& path) {
    std::error_code ec;
    auto status = std::filesystem::status(path, ec);
    if (ec) {
        throw std::runtime_error(ec.message());
    }
    if (!std::filesystem::is_regular_file(status)) {
        throw std::runtime_error("not a regular file");
    }
    auto size = std::filesystem::file_size(path, ec);
    if (!ec && size > kMaxCatalogueBytes) {
        throw std::runtime_error("larger than 16 MiB");
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw std::runtime_error(std::strerror(errno));
    }
    std::ostringstream text;
    text << in.rdbuf();
    if (in.bad()) {
        throw std::runtime_error("read error");
    }
    return text.str();
}

}  // namespace

TestProperties::TestProperties() : m_views(core::count) {}

TestProperties::TestProperties(std::string json_data) : m_views(core::count) {
    if (json_data.empty()) {
        throw pt::json_parser_error("the text is empty", "", 0);
    }
    pt::ptree root = parse_json(json_data);
    if (root.empty() && !root.data().empty()) {
        throw pt::json_parser_error("the top-level value is not an object", "", 1);
    }

    for (const auto& member : root) {
        const std::string& name = member.first;
        if (!read_member<bool>(member.second, name, "parse")) {
            continue;
        }
        types::TestData entry = read_entry(member.second, name);
        // The first entry with a key wins.
        m_tests.emplace(entry.key(), std::move(entry));
    }

    std::vector<types::TestData> entries;
    MapValueToVec(m_tests, entries);
    // Equivalent entries of a view come in natural order, then key order,
    // so every listing is the same on every run.
    sort_natural(entries);
    // Each view is sorted as positions into entries and then copied once, so
    // that no entry is moved about while it is sorted.
    std::vector<size_t> positions(entries.size());
    for (uint32_t o = 0; o < core::count; ++o) {
        std::iota(positions.begin(), positions.end(), size_t{0});
        with_ordering(static_cast<core::SortFilterOptions>(o), [&](auto order) {
            std::stable_sort(positions.begin(), positions.end(),
                             [&](size_t a, size_t b) { return order(entries[a], entries[b]); });
        });
        auto& view = m_views[o];
        view.reserve(entries.size());
        for (const size_t at : positions) {
            view.push_back(entries[at]);
        }
    }
}

CatalogueLoad TestProperties::load_file(const std::string& path) {
    CatalogueLoad result;
    std::string reason;
    try {
        std::string text = read_file(path);
        if (text.empty()) {
            reason = "the file is empty";
        } else {
            result.catalogue = TestProperties(text);
        }
    } catch (const pt::json_parser_error& e) {
        reason = e.line() > 0 ? "line " + std::to_string(e.line()) + ": " + e.message()
                              : e.message();
    } catch (const std::exception& e) {
        reason = e.what();
    }
    if (!reason.empty()) {
        result.error = "Cannot load the test-case file \"" + path + "\": " + reason;
    }
    return result;
}

std::vector<types::TestData> TestProperties::list() const { return m_views[core::DEFAULT]; }

std::vector<types::TestData> TestProperties::sort_by(core::SortFilterOptions o) const {
    if (o >= core::count) {
        return {};
    }
    return m_views[o];
}

std::vector<types::TestData> TestProperties::filter_by(core::SortFilterOptions o,
                                                       types::TestIDFilter f) const {
    std::vector<types::TestData> found;
    with_ordering(o, [&](auto order) {
        const auto& view = m_views[o];
        auto range = std::equal_range(view.begin(), view.end(), f, order);
        found.assign(range.first, range.second);
    });
    sort_natural(found);
    return found;
}

types::TestData TestProperties::info(std::string key) const {
    for (auto& c : key) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    auto it = m_tests.find(key);
    if (it == m_tests.end()) {
        return types::ErrorTestData();
    }
    return it->second;
}

}  // namespace tarvo
