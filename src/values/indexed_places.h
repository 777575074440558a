// The walk over the places named by an index list (elements, rows, columns or pages),
// shared by IndexedAssign and mathIndexedAssign. Internal to the values folder.
#pragma once

#include <string>

#include "values/jmatrix.h"

namespace zirbin::values::detail {

// Throws '(' unless 1 <= index <= extent.
inline void checkIndex(int index, int extent) {
  if (index < 1 || index > extent) throw '(';
}

// Calls combine(place, sourceElement) for every place named by list[0..count) (irc 0
// elements, 1 rows, 2 columns, 3 pages), taking the one element of a 1-element source
// for every place, else the source's elements, rows, columns or pages in order.
// `ircText` is thrown for an irc outside 0 to 3.
template <typename T, typename Combine>
void visitPlaces(JMatrix<T>& target, int irc, const int* list, int count,
                 const JMatrix<T>& source, const char* ircText, Combine combine) {
  if (irc < 0 || irc > 3) throw std::string(ircText);
  int rows = target.nrow;
  int extent = irc == 0 ? target.size : irc == 1 ? rows : irc == 2 ? target.ncol() : 0;
  int64_t run = irc == 0 ? 1 : irc == 1 ? target.ncol() : rows;  // elements per place
  if (irc == 3) {
    run = static_cast<int64_t>(rows) * target.ncol3D();
    extent = target.pages();
  }
  T* data = target.data;
  for (int k = 0; k < count; ++k) checkIndex(list[k], extent);
  if (source.size == 1) {
    const T& value = source.data[0];
    for (int k = 0; k < count; ++k) {
      int p = list[k] - 1;
      if (irc == 1) {
        for (int64_t c = 0; c < run; ++c) combine(data[c * rows + p], value);
      } else {
        for (int64_t e = p * run; e < (p + 1) * run; ++e) combine(data[e], value);
      }
    }
    return;
  }
  // Every source element read below must exist.
  int sourceRows = source.nrow;
  bool enough = irc == 1 ? (sourceRows >= count && source.ncol() >= run)
                         : (count == 0 || (count - 1) * (irc == 2 ? int64_t{sourceRows} : run) +
                                                  run <= source.size);
  if (!enough) throw '(';
  for (int k = 0; k < count; ++k) {
    int p = list[k] - 1;
    if (irc == 1) {
      for (int64_t c = 0; c < run; ++c) combine(data[c * rows + p], source.data[c * sourceRows + k]);
    } else {
      int64_t from = k * (irc == 2 ? int64_t{sourceRows} : run);
      for (int64_t e = 0; e < run; ++e) combine(data[p * run + e], source.data[from + e]);
    }
  }
}

}  // namespace zirbin::values::detail
