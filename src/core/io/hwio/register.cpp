#include "core/io/hwio/register.hpp"

#include <utility>

namespace tarvo {
namespace core {

RegisterField::RegisterField(std::string name_, std::string description_, uint64_t offset_,
                             uint64_t width_, uint64_t value_)
    : name(std::move(name_)),
      description(std::move(description_)),
      value(value_),
      width(width_),
      offset(offset_) {}

Register::Register(std::string name_, std::string vers_, std::string Description_,
                   uint64_t offset_, uint64_t width_)
    : name(std::move(name_)),
      vers(std::move(vers_)),
      Description(std::move(Description_)),
      offset(offset_),
      width(width_) {}

void Register::SetValue(uint64_t v) {
    for (auto& field : fields) {
        const uint64_t mask = field.GetWidth() >= 64 ? ~uint64_t{0}
                                                     : (uint64_t{1} << field.GetWidth()) - 1;
        const uint64_t shifted = field.GetOffset() < 64 ? v >> field.GetOffset() : 0;
        field.SetValue(shifted & mask);
    }
}

uint64_t Register::GetValue() {
    value = 0;
    for (const auto& field : fields) {
        if (field.GetOffset() < 64) {
            value |= field.GetValue() << field.GetOffset();
        }
    }
    return value;
}

int Register::GetValuebyFieldName(const std::string& field_name, uint64_t& v) const {
    for (const auto& field : fields) {
        if (field.Getname() == field_name) {
            v = field.GetValue();
            return 0;
        }
    }
    return -1;
}

int Register::SetFieldbyName(const std::string& field_name, uint64_t v) {
    for (auto& field : fields) {
        if (field.Getname() == field_name) {
            field.SetValue(v);
            return 0;
        }
    }
    return -1;
}

}  // namespace core
}  // namespace tarvo
