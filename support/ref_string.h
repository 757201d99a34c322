// RefString: the program's one string type. A byte string whose copies share
// one heap block through a reference count stored just in front of the
// characters, copied only when a sharer is about to change it (copy-on-write).
// Every empty string points at one static shared empty block, so empty
// strings never allocate. A string can also borrow characters it does not own
// (a literal, a file name) to pass them along without copying.
//
// Heap block of an owned string: int32 count, capacity characters, one zero
// byte (capacity + 5 bytes, C runtime heap). Not thread-safe: main thread only.
#pragma once

#include <cstdint>

class RefString {
 public:
  RefString();                                         // the empty string
  RefString(const char* text, int offset, int count);  // owned copy; count < 0: up to the zero byte
  static RefString borrow(const char* text, int offset, int count);  // no copy; count < 0: strlen
  explicit RefString(int value);      // decimal text, "-" for negatives
  RefString(const RefString& other);  // shares an owned block, copies a borrowed one
  RefString(RefString&& other) noexcept;
  RefString& operator=(const RefString& other);  // same as assign(other)
  RefString& operator=(RefString&& other) noexcept;
  ~RefString();

  const char* chars() const { return chars_; }
  int length() const { return length_; }
  int capacity() const { return capacity_; }
  bool isBorrowed() const { return borrowed_; }

  RefString privateCopy() const;  // always a block of its own
  void assign(const RefString& other);
  void assign(const char* text);  // zero-terminated text
  void append(const RefString& other);
  void clear();
  RefString substring(int pos, int count) const;  // clamped to the string
  int findFirst(char ch) const;                   // length() when absent, -1 when empty
  int findLast(char ch) const;                    // -1 when absent
  int compare(const RefString& other) const;      // -1, 0, 1; bytes compared as signed
  int reserve(int n, bool doubling);              // 0, or -1 when a borrowed string is too small

 private:
  void release();     // drop this string's reference
  void dropBorrow();  // a borrowed target becomes an empty owned string

  char* chars_;
  int32_t capacity_;
  int32_t length_;
  bool borrowed_;
};
