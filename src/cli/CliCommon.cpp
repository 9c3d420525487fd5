#include "cli/CliCommon.h"

#include <iostream>
#include <iterator>

#include "files/FileSystem.h"
#include "rtl/Encoding.h"

namespace mirel::cli {

void AddCodePageOption(CLI::App& command, int& codePage) {
  command
      .add_option("--codepage", codePage,
                  "Windows code page of text without a byte-order mark and of the strings "
                  "and names in binary forms (874, 1250 to 1258, or double-byte 932, 936, 949, "
                  "950); default 1252")
      ->type_name("N");
}

void ApplyCodePage(int codePage) {
  if (codePage == 0) return;
  try {
    TEncoding::SetDefaultCodePage(codePage);
  } catch (const Exception& e) {
    throw TCliError(e.Message(), exitBadInput);
  }
}

std::string ReadInput(const std::string& path) {
  if (path == "-") {
    std::string data((std::istreambuf_iterator<char>(std::cin)), std::istreambuf_iterator<char>());
    if (std::cin.bad()) throw TCliError(u"cannot read standard input", exitFailure);
    return data;
  }
  std::string data;
  const TFsResult r = TFileSystem::Real().ReadFile(FromUtf8(path), data);
  if (!r) throw TCliError(u"cannot read " + FromUtf8(path) + u": " + r.Message(), exitFailure);
  return data;
}

void WriteOutput(const std::string& path, std::string_view bytes) {
  if (path == "-") {
    std::cout.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    std::cout.flush();
    if (!std::cout) throw TCliError(u"cannot write standard output", exitFailure);
    return;
  }
  const TFsResult r = TFileSystem::Real().WriteFile(FromUtf8(path), bytes);
  if (!r) throw TCliError(u"cannot write " + FromUtf8(path) + u": " + r.Message(), exitFailure);
}

}  // namespace mirel::cli
