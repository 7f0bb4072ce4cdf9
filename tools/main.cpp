// lumo_imagegen DIR: writes every bitmap resource of the program into DIR as <id>.bmp.
#include "ImageGen.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: lumo_imagegen DIR\n";
    return 2;
  }
  const std::filesystem::path dir = argv[1];
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  if (!std::filesystem::is_directory(dir)) {
    std::cerr << "lumo_imagegen: cannot create " << dir.string() << "\n";
    return 1;
  }
  const auto start = std::chrono::steady_clock::now();
  const auto resources = lumo::tools::generateAll();
  for (const auto& r : resources) {
    const std::filesystem::path file = dir / (std::to_string(r.id) + ".bmp");
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(r.bytes.data()), static_cast<std::streamsize>(r.bytes.size()));
    out.close();
    if (!out) {
      std::cerr << "lumo_imagegen: cannot write " << file.string() << "\n";
      return 1;
    }
  }
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::cout << "wrote " << resources.size() << " bitmaps to " << dir.string() << " in " << seconds << " s\n";
  return 0;
}
