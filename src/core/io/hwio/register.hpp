#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace tarvo {
namespace core {

// One named bit field of a register; its value is right-aligned.
class RegisterField {
public:
    RegisterField(std::string name, std::string description, uint64_t offset, uint64_t width,
                  uint64_t value);

    uint64_t GetValue() const { return value; }
    void SetValue(uint64_t v) { value = v; }
    uint64_t GetOffset() const { return offset; }
    uint64_t GetWidth() const { return width; }
    std::string Getname() const { return name; }

private:
    std::string name;
    std::string description;
    uint64_t value = 0;
    uint64_t default_value = 0;
    uint64_t width = 0;
    uint64_t offset = 0;  // lowest bit of the field inside the register
    std::map<int, std::string> value_defs;
    std::string reg_attr;
};

// One architected register: byte offset from its structure's base, width in
// bits and its fields in definition order.
class Register {
public:
    Register(std::string name, std::string vers, std::string Description, uint64_t offset,
             uint64_t width);

    // Unpacks a raw value into every field.
    void SetValue(uint64_t v);
    // Packs the fields into a raw value and caches it.
    uint64_t GetValue();
    uint64_t GetOffset() const { return offset; }
    uint64_t GetWidth() const { return width; }
    int GetValuebyFieldName(const std::string& field_name, uint64_t& v) const;
    int SetFieldbyName(const std::string& field_name, uint64_t v);
    uint64_t GetBytes() const { return (width + 7) / 8; }
    const std::string& GetName() const { return name; }

private:
    std::string name;
    std::string vers;
    std::string Description;
    uint64_t value = 0;
    uint64_t offset = 0;
    uint64_t width = 0;

public:
    std::vector<RegisterField> fields;
};

}  // namespace core
}  // namespace tarvo
