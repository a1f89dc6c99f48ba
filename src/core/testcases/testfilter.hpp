#pragma once

#include "common/testid.hpp"

namespace tarvo {
namespace core {

// An ordering of identifiers by the given keys. A filter may stand on either
// side, so a vector sorted by the ordering can be searched with a filter.
template <types::detail::IDKey... Keys>
struct IDOrdering {
    bool operator()(const types::TestID& a, const types::TestID& b) const {
        return types::detail::id_less<Keys...>(a, b);
    }
    bool operator()(const types::TestID& a, const types::TestIDFilter& b) const {
        return types::detail::id_less<Keys...>(a, b);
    }
    bool operator()(const types::TestIDFilter& a, const types::TestID& b) const {
        return types::detail::id_less<Keys...>(a, b);
    }
};

namespace detail {
using K = types::detail::IDKey;
}  // namespace detail

struct FilterTestSpec : IDOrdering<detail::K::spec> {};
struct FilterTestGroup : IDOrdering<detail::K::group> {};
struct FilterTestID : IDOrdering<detail::K::id> {};
struct FilterTestSpecGroup : IDOrdering<detail::K::spec, detail::K::group> {};
struct FilterTestSpecID : IDOrdering<detail::K::spec, detail::K::id> {};
struct FilterTestGroupID : IDOrdering<detail::K::group, detail::K::id> {};
struct FilterTestSpecGroupID : IDOrdering<detail::K::spec, detail::K::group, detail::K::id> {};
struct FilterTestGroupSpecID : IDOrdering<detail::K::group, detail::K::spec, detail::K::id> {};
struct FilterTestIDSpecGroup : IDOrdering<detail::K::id, detail::K::spec, detail::K::group> {};

}  // namespace core
}  // namespace tarvo
