#include "core/io/hwio/hwio_dummy.hpp"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <vector>

#include "core/io/hwio/hwio_linux.hpp"

namespace tarvo {
namespace core {
namespace {

// WriteFile holds the whole file in memory; larger files are refused.
constexpr long kMaxFileBytes = 4096;

std::string address_file(const char* prefix, uint64_t addr) {
    char name[48];
    std::snprintf(name, sizeof(name), "%s0x%llx.bin", prefix,
                  static_cast<unsigned long long>(addr));
    return name;
}

std::string mmio_file(uint64_t addr) { return address_file("MMIO_", addr); }
std::string mem_file(uint64_t addr) { return address_file("MEM_", addr); }

const char* const kDoeReadFile = "DOE0Read.bin";
const char* const kDoeWriteFile = "DOE0Write.bin";

}  // namespace

std::string hwio_dummy::pci_filename(int seg, int bus, int dev, int fun) {
    return "PCI_" + std::to_string(seg) + "_" + std::to_string(bus) + "_" +
           std::to_string(dev) + "_" + std::to_string(fun) + ".bin";
}

int hwio_dummy::ReadFile(unsigned char* buf, std::string filename, int offset, int len) {
    if (buf == nullptr || offset < 0 || len < 0) {
        return 0;
    }
    std::ifstream in(filename, std::ios::binary);
    if (in) {
        in.seekg(offset);
        in.read(reinterpret_cast<char*>(buf), len);
    }
    return 1;
}

int hwio_dummy::WriteFile(unsigned char* buf, std::string filename, int offset, int len) {
    if (buf == nullptr || offset < 0 || len < 0 || offset > kMaxFileBytes ||
        len > kMaxFileBytes - offset) {
        return 0;
    }
    std::vector<char> content;
    {
        std::ifstream in(filename, std::ios::binary | std::ios::ate);
        if (in) {
            const std::streamoff old_len = in.tellg();
            if (old_len < 0 || old_len > kMaxFileBytes) {
                return 0;
            }
            content.resize(static_cast<size_t>(old_len));
            in.seekg(0);
            if (!in.read(content.data(), old_len)) {
                return 0;
            }
        }
    }
    const size_t end = static_cast<size_t>(offset) + static_cast<size_t>(len);
    if (content.size() < end) {
        content.resize(end, 0);
    }
    std::copy(buf, buf + len, content.begin() + offset);

    std::ofstream out(filename, std::ios::binary | std::ios::trunc);
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
    out.close();
    return out ? 1 : 0;
}

int hwio_dummy::ReadPCI(unsigned char* buf, int seg, int bus, int dev, int fun, int offset,
                        int len) {
    std::cout << "hwiodummy" << std::endl;
    return ReadFile(buf, pci_filename(seg, bus, dev, fun), offset, len);
}

int hwio_dummy::WritePCI(unsigned char* buf, int seg, int bus, int dev, int fun, int offset,
                         int len) {
    return WriteFile(buf, pci_filename(seg, bus, dev, fun), offset, len);
}

int hwio_dummy::ReadPCI(SBDF /*sbdf*/, uint64_t /*base_offset*/, Register& /*reg*/) {
    return -1;
}

int hwio_dummy::WritePCI(SBDF /*sbdf*/, uint64_t /*base_offset*/, Register& /*reg*/) {
    return -1;
}

int hwio_dummy::ReadMMIO(unsigned char* buf, uint64_t addr, int len) {
    return ReadFile(buf, mmio_file(addr), 0, len);
}

int hwio_dummy::WriteMMIO(unsigned char* buf, uint64_t addr, int len) {
    return WriteFile(buf, mmio_file(addr), 0, len);
}

int hwio_dummy::ReadPhysMem(unsigned char* buf, uint64_t addr, int len) {
    return ReadFile(buf, mem_file(addr), 0, len);
}

int hwio_dummy::WritePhysMem(unsigned char* buf, uint64_t addr, int len) {
    return WriteFile(buf, mem_file(addr), 0, len);
}

int hwio_dummy::ReadACPI(unsigned char* buf, char* ID, int len) {
    if (ID == nullptr) {
        return 0;
    }
    return ReadFile(buf, ID, 0, len);
}

int hwio_dummy::ReadDOE(unsigned char* buf, int len) {
    return ReadFile(buf, kDoeReadFile, 0, len);
}

int hwio_dummy::WriteDOE(unsigned char* buf, int len) {
    return WriteFile(buf, kDoeWriteFile, 0, len);
}

int hwio_dummy::RemovePCI(std::string& sym_link_path, std::string& pci) {
    return hwio_linux::RemovePCI(sym_link_path, pci);
}

int hwio_dummy::RescanPCI(std::string& sym_link_path) {
    return hwio_linux::RescanPCI(sym_link_path);
}

int hwio_dummy::TriggerPCIRescan(int seg, int bus, int dev, int fun) {
    std::string pci = pci_filename(seg, bus, dev, fun);
    std::string sym_link_path;
    if (RemovePCI(sym_link_path, pci) != 0) {
        std::cout << "Remove bus from its root before rescan failed" << std::endl;
        return 1;
    }
    if (RescanPCI(sym_link_path) != 0) {
        std::cout << "Rescan bus failed" << std::endl;
        return 1;
    }
    return 0;
}

}  // namespace core
}  // namespace tarvo
