// What the C++20 code below web/ uses and Debian's Emscripten (3.1.6, libc++
// 14) does not have yet; included ahead of every source of the modules the
// page reuses, and only in the web build.
#pragma once

#include <memory>
#include <version>

#if !defined(__cpp_lib_smart_ptr_for_overwrite)
namespace std {
// libc++ 15 has it; until then its plain allocation does the same.
template <class T>
requires is_unbounded_array_v<T> unique_ptr<T> make_unique_for_overwrite(size_t n) {
  return unique_ptr<T>(new remove_extent_t<T>[n]);
}
}  // namespace std
#endif
