// SPDX-License-Identifier: GPL-3.0-or-later
// The program's string table: texts addressed by number, as menus, captions and titles use them.
#pragma once

#include <QString>
#include <initializer_list>
#include <map>

namespace shell {

struct StringResource {
  int id;
  const char* text;  // UTF-8
};

class StringTable {
 public:
  StringTable() = default;
  StringTable(std::initializer_list<StringResource> entries);

  void Add(int id, const QString& text);
  [[nodiscard]] bool Contains(int id) const;
  // The text of `id`; an empty string when the table has no such entry.
  [[nodiscard]] QString Load(int id) const;

 private:
  std::map<int, QString> texts_;
};

}  // namespace shell
