// Where each text was left: its first shown line, kept per installed folder.
#pragma once

#include <memory>
#include <string>

#include "core/base/status.h"

struct sqlite3;

namespace kelmoa {

// Where a text was left: its file, the first line shown (from 1), and the file's size when it
// was read, so that a text changed since starts at its top.
struct ReadingPosition {
  std::string path;
  int firstLine = 1;
  long long fileSize = 0;
};

// The reading positions of an installed folder, in a table of their own in the word list's
// SQLite database (base/wordlist/wordlist.sqlite, WAL): several Kelmoa windows on one folder
// store and read them at the same time, each store one transaction. Texts are keyed by their
// path made whole, with links followed, so that one file reached two ways is one text.
class ReadingPositions {
 public:
  struct CloseDb {
    void operator()(sqlite3* db) const;
  };
  explicit ReadingPositions(std::unique_ptr<sqlite3, CloseDb> db);

  // Opens the positions of base, making the word list's folder and database, or upgrading
  // its schema, as the word list does.
  static Status Open(const std::string& base, std::unique_ptr<ReadingPositions>& positions);

  // Stores where position.path was left, as the text left last.
  Status Store(const ReadingPosition& position);
  // The first line to show of the text at path, whose file has size bytes now: where it was
  // left, or 1 when it was never left here or its size has changed since.
  Status FirstLineOf(const std::string& path, long long size, int& firstLine) const;
  // The text left last other than the one at except (which may be empty); found is false when
  // there is none.
  Status LastLeft(const std::string& except, ReadingPosition& position, bool& found) const;

  // The key of a text's path: made whole, links followed where the file is there.
  static std::string KeyOf(const std::string& path);

 private:
  std::unique_ptr<sqlite3, CloseDb> mDb;
};

}  // namespace kelmoa
