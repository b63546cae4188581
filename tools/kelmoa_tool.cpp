// kelmoa-tool: the command-line companion. It runs the program's own reading, detection,
// dictionary and lookup code on files, so that they can be scripted and checked. Output is
// UTF-8 with LF line ends. Exit status: 0 success, 1 a file could not be read or written
// (message on stderr), 2 usage error, 3 a text rejected by the reader (message on stdout).
#include <charconv>
#include <cstdio>
#include <functional>
#include <iostream>
#include <map>
#include <string>
#include <vector>

#include "common/char_code.h"
#include "common/codepage.h"
#include "common/helpers.h"
#include "dictionary/dictionary.h"
#include "dictionary/lookup.h"
#include "document/text_reader.h"

namespace kelmoa {
namespace {

constexpr int kExitOk = 0;
constexpr int kExitIo = 1;
constexpr int kExitUsage = 2;
constexpr int kExitRejected = 3;

using Args = std::vector<std::string>;

std::string Out(std::u16string_view s) { return Utf16ToUtf8(s); }

// A message as the tool shows it: CR LF becomes LF.
std::string ShownMessage(std::u16string_view msg) {
  std::string s = Out(msg);
  std::string r;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\r' && i + 1 < s.size() && s[i + 1] == '\n') continue;
    r += s[i];
  }
  return r;
}

int IoError(const Status& s) {
  std::cerr << "kelmoa-tool: " << s.message() << "\n";
  return kExitIo;
}

int Usage() {
  std::cerr << "usage:\n"
               "  kelmoa-tool detect FILE...\n"
               "  kelmoa-tool read FILE\n"
               "  kelmoa-tool entries DIC\n"
               "  kelmoa-tool lookup DIC WORD...\n"
               "  kelmoa-tool meaning DIC WORD...\n"
               "  kelmoa-tool add BASE WORD MEANING\n"
               "  kelmoa-tool delete BASE INDEX MEANING\n";
  return kExitUsage;
}

std::string JoinTabs(std::u16string_view meanings) { return Out(meanings); }

int Detect(const Args& a) {
  if (a.empty()) return Usage();
  for (const std::string& path : a) {
    std::string name;
    if (Status s = GetFileCharCode(path, name); !s.ok()) return IoError(s);
    std::cout << name << '\t' << path << '\n';
  }
  return kExitOk;
}

int Read(const Args& a) {
  if (a.size() != 1) return Usage();
  StrList lines;
  Status status;
  const std::u16string msg = ReadFileToAryAndChkMsg(a[0], lines, status);
  if (!status.ok()) return IoError(status);
  if (!msg.empty()) {
    std::cout << ShownMessage(msg) << '\n';
    return kExitRejected;
  }
  std::cout << UpperBound(lines) << '\n';
  return kExitOk;
}

bool LoadDic(const std::string& path, Dictionary& dic, int& exitCode) {
  if (Status s = dic.LoadDicFile(path); !s.ok()) {
    exitCode = IoError(s);
    return false;
  }
  return true;
}

int Entries(const Args& a) {
  if (a.size() != 1) return Usage();
  Dictionary dic;
  int rc = kExitOk;
  if (!LoadDic(a[0], dic, rc)) return rc;
  for (int i = 1; i <= dic.Count(); ++i) {
    std::cout << i << '\t' << Out(dic.Words()[i]) << '\t' << JoinTabs(dic.Meanings()[i]) << '\n';
  }
  return kExitOk;
}

int Lookup(const Args& a) {
  if (a.size() < 2) return Usage();
  Dictionary dic;
  int rc = kExitOk;
  if (!LoadDic(a[0], dic, rc)) return rc;
  for (size_t w = 1; w < a.size(); ++w) {
    const std::u16string list = GetDicIdxListOfWord(dic.Words(), LowerAscii(Utf8ToUtf16(a[w])));
    std::cout << a[w] << '\t' << Out(list) << '\n';
    size_t start = 0;
    while (start < list.size()) {
      size_t comma = list.find(u',', start);
      if (comma == std::u16string::npos) comma = list.size();
      const int idx = std::stoi(Out(list.substr(start, comma - start)));
      std::cout << '\t' << idx << '\t' << Out(dic.Words()[idx]) << '\t'
                << JoinTabs(dic.Meanings()[idx]) << '\n';
      start = comma + 1;
    }
  }
  return kExitOk;
}

int Meaning(const Args& a) {
  if (a.size() < 2) return Usage();
  Dictionary dic;
  int rc = kExitOk;
  if (!LoadDic(a[0], dic, rc)) return rc;
  for (size_t w = 1; w < a.size(); ++w) {
    int idx = 0;
    std::u16string form;
    StrList meanings;
    GetWordMeaningP(dic, LowerAscii(Utf8ToUtf16(a[w])), idx, form, meanings);
    std::cout << a[w] << '\t' << idx << '\t' << Out(form) << '\n';
    for (size_t m = 1; m < meanings.size(); ++m) std::cout << '\t' << Out(meanings[m]) << '\n';
  }
  return kExitOk;
}

int Add(const Args& a) {
  if (a.size() != 3) return Usage();
  DictionaryFiles files(a[0]);
  Dictionary dic;
  int rc = kExitOk;
  if (!LoadDic(files.DicPath(), dic, rc)) return rc;
  const std::u16string word = Utf8ToUtf16(a[1]), meaning = Utf8ToUtf16(a[2]);
  if (!IsStorableEntry(word, meaning)) {
    std::cerr << "kelmoa-tool: not an entry: the word needs two characters or more, the meaning "
                 "a visible character, and neither may hold a TAB or a line end\n";
    return kExitUsage;
  }
  const Status s = files.AddEntry(dic, word, meaning, LocalNow());
  return s.ok() ? kExitOk : IoError(s);
}

int Delete(const Args& a) {
  if (a.size() != 3) return Usage();
  int idx = 0;
  const auto [end, ec] = std::from_chars(a[1].data(), a[1].data() + a[1].size(), idx);
  if (ec != std::errc() || end != a[1].data() + a[1].size()) return Usage();
  DictionaryFiles files(a[0]);
  Dictionary dic;
  int rc = kExitOk;
  if (!LoadDic(files.DicPath(), dic, rc)) return rc;
  if (idx < 1 || idx > dic.Count()) {
    std::cerr << "kelmoa-tool: no entry " << idx << " (the dictionary has " << dic.Count()
              << ")\n";
    return kExitUsage;
  }
  const std::u16string entry = dic.Words()[idx] + u' ' + Utf8ToUtf16(a[2]);
  const Status s = files.DeleteEntry(dic, idx, entry, LocalNow());
  return s.ok() ? kExitOk : IoError(s);
}

}  // namespace
}  // namespace kelmoa

int main(int argc, char** argv) {
  using namespace kelmoa;
  if (argc < 2) return Usage();
  const std::map<std::string, std::function<int(const Args&)>> commands = {
      {"detect", Detect}, {"read", Read},   {"entries", Entries}, {"lookup", Lookup},
      {"meaning", Meaning}, {"add", Add}, {"delete", Delete},
  };
  const auto it = commands.find(argv[1]);
  if (it == commands.end()) return Usage();
  const Args args(argv + 2, argv + argc);
  const int rc = it->second(args);
  std::cout.flush();
  return rc;
}
