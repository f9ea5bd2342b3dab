#include "host/PluginModule.h"

#include <link.h>
#include <sys/stat.h>

#include <cstring>

namespace {

ModuleHandle FirstSegment(const dl_phdr_info* info) {
  for (int i = 0; i < info->dlpi_phnum; ++i) {
    if (info->dlpi_phdr[i].p_type == PT_LOAD) return info->dlpi_addr + info->dlpi_phdr[i].p_vaddr;
  }
  return 0;
}

bool SameFile(const char* a, const struct stat& b) {
  struct stat status {};
  return stat(a, &status) == 0 && status.st_dev == b.st_dev && status.st_ino == b.st_ino;
}

struct FileSearch {
  struct stat file;
  bool first = true;
  ModuleHandle found = 0;
};

int MatchFile(dl_phdr_info* info, size_t, void* data) {
  auto* search = static_cast<FileSearch*>(data);
  // The program itself comes first and has no name of its own.
  const char* name = info->dlpi_name;
  if (search->first && (name == nullptr || name[0] == '\0')) name = "/proc/self/exe";
  search->first = false;
  if (name == nullptr || name[0] == '\0' || !SameFile(name, search->file)) return 0;
  search->found = FirstSegment(info);
  return 1;
}

struct AddressSearch {
  uintptr_t address;
  ModuleHandle found = 0;
};

int MatchAddress(dl_phdr_info* info, size_t, void* data) {
  auto* search = static_cast<AddressSearch*>(data);
  for (int i = 0; i < info->dlpi_phnum; ++i) {
    const ElfW(Phdr)& segment = info->dlpi_phdr[i];
    if (segment.p_type != PT_LOAD) continue;
    uintptr_t start = info->dlpi_addr + segment.p_vaddr;
    if (search->address >= start && search->address - start < segment.p_memsz) {
      search->found = FirstSegment(info);
      return 1;
    }
  }
  return 0;
}

}  // namespace

ModuleHandle FindLoadedModule(const std::string& path) {
  FileSearch search;
  if (path.empty() || stat(path.c_str(), &search.file) != 0) return 0;
  dl_iterate_phdr(&MatchFile, &search);
  return search.found;
}

ModuleHandle ModuleOfAddress(const void* address) {
  AddressSearch search{reinterpret_cast<uintptr_t>(address)};
  dl_iterate_phdr(&MatchAddress, &search);
  return search.found;
}
