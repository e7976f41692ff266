// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/shell/string_table.h"

namespace shell {

StringTable::StringTable(std::initializer_list<StringResource> entries) {
  for (const auto& entry : entries) Add(entry.id, QString::fromUtf8(entry.text));
}

void StringTable::Add(int id, const QString& text) { texts_[id] = text; }

bool StringTable::Contains(int id) const { return texts_.count(id) != 0; }

QString StringTable::Load(int id) const {
  const auto found = texts_.find(id);
  return found == texts_.end() ? QString() : found->second;
}

}  // namespace shell
