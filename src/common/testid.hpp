#pragma once

#include <cstdint>
#include <string>
#include <utility>

namespace tarvo {
namespace types {

// A test identifier: specification version, group and number in the group.
class ID {
public:
    ID(float spec, std::string group, int id) : m_spec(spec), m_id(id), m_group(std::move(group)) {}

    float spec() const { return m_spec; }
    std::string group() const { return m_group; }
    int id() const { return m_id; }

protected:
    float m_spec;
    int32_t m_id;
    std::string m_group;
};

namespace detail {

enum class IDKey { spec, group, id };

// -1, 0 or 1 as a is before, equivalent to or after b under one key.
inline int compare_key(IDKey key, const ID& a, const ID& b) {
    switch (key) {
        case IDKey::spec:
            return a.spec() < b.spec() ? -1 : (a.spec() == b.spec() ? 0 : 1);
        case IDKey::group: {
            int r = a.group().compare(b.group());
            return r < 0 ? -1 : (r == 0 ? 0 : 1);
        }
        case IDKey::id:
            return a.id() < b.id() ? -1 : (a.id() == b.id() ? 0 : 1);
    }
    return 0;
}

// True when a comes before b under the keys, most significant first.
template <IDKey... Keys>
bool id_less(const ID& a, const ID& b) {
    int r = 0;
    ((r = (r != 0 ? r : compare_key(Keys, a, b))), ...);
    return r < 0;
}

}  // namespace detail

// The identifier of a catalogue entry.
class TestID : public ID {
public:
    TestID(float spec, std::string group, int id) : ID(spec, std::move(group), id) {}

    // Natural order: spec, then group, then number.
    bool operator<(const TestID& other) const {
        return detail::id_less<detail::IDKey::spec, detail::IDKey::group, detail::IDKey::id>(
            *this, other);
    }
};

// A search key for the catalogue's filters.
class TestIDFilter : public ID {
public:
    TestIDFilter(float spec, std::string group, int id) : ID(spec, std::move(group), id) {}
};

}  // namespace types
}  // namespace tarvo
