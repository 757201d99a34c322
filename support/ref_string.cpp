// RefString: reference-counted, copy-on-write byte string (see ref_string.h).
#include "support/ref_string.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace {

constexpr int countBytes = 4;                  // reference count in front of the characters
constexpr int blockOverhead = countBytes + 1;  // count + terminating zero byte
constexpr int numberBufferBytes = 255;         // scratch text for integer construction

// The one block every empty string points at; its count is never read or changed.
struct EmptyBlock {
  int32_t count;
  char zero;
};
EmptyBlock emptyBlock = {0, 0};
char* const sharedEmpty = &emptyBlock.zero;

int32_t& countOf(char* chars) { return *reinterpret_cast<int32_t*>(chars - countBytes); }

// A fresh block for capacity characters, count 1, empty text.
char* allocateBlock(int capacity) {
  char* block = static_cast<char*>(std::malloc(capacity + blockOverhead));
  char* chars = block + countBytes;
  countOf(chars) = 1;
  chars[0] = 0;
  return chars;
}

}  // namespace

RefString::RefString() : chars_(sharedEmpty), capacity_(0), length_(0), borrowed_(false) {}

RefString::RefString(const char* text, int offset, int count) : RefString() {
  if (text == nullptr) return;
  if (count < 0) count = static_cast<int>(std::strlen(text + offset));
  if (count <= 0) return;
  chars_ = allocateBlock(count);
  capacity_ = count;
  length_ = count;
  std::memcpy(chars_, text + offset, count);
  chars_[count] = 0;
}

RefString RefString::borrow(const char* text, int offset, int count) {
  RefString result;
  result.borrowed_ = true;
  if (count < 0) count = static_cast<int>(std::strlen(text + offset));
  if (count > 0) {
    result.chars_ = const_cast<char*>(text + offset);  // never written: see dropBorrow
    result.capacity_ = count;
    result.length_ = count;
  }
  return result;
}

RefString::RefString(int value) : RefString() {
  char* buffer = static_cast<char*>(std::malloc(numberBufferBytes));
  std::snprintf(buffer, numberBufferBytes, "%d", value);
  *this = RefString(buffer, 0, -1);
  std::free(buffer);
}

RefString::RefString(const RefString& other) : RefString() {
  if (other.length_ <= 0 || other.chars_ == sharedEmpty) return;
  if (other.borrowed_) {
    *this = RefString(other.chars_, 0, other.length_);
    return;
  }
  ++countOf(other.chars_);
  chars_ = other.chars_;
  capacity_ = other.capacity_;
  length_ = other.length_;
}

RefString::RefString(RefString&& other) noexcept
    : chars_(other.chars_),
      capacity_(other.capacity_),
      length_(other.length_),
      borrowed_(other.borrowed_) {
  other.chars_ = sharedEmpty;
  other.capacity_ = 0;
  other.length_ = 0;
  other.borrowed_ = false;
}

RefString& RefString::operator=(const RefString& other) {
  if (&other == this) return *this;
  assign(other);
  return *this;
}

RefString& RefString::operator=(RefString&& other) noexcept {
  if (this != &other) {
    release();
    chars_ = std::exchange(other.chars_, sharedEmpty);
    capacity_ = std::exchange(other.capacity_, 0);
    length_ = std::exchange(other.length_, 0);
    borrowed_ = std::exchange(other.borrowed_, false);
  }
  return *this;
}

RefString::~RefString() { release(); }

void RefString::release() {
  if (borrowed_ || chars_ == sharedEmpty) return;
  if (--countOf(chars_) <= 0) std::free(chars_ - countBytes);
  chars_ = sharedEmpty;
  capacity_ = 0;
}

// The characters of a borrowed string belong to someone else (often a
// literal), so a borrowed target of clear/assign/append stops borrowing
// instead of writing into them.
void RefString::dropBorrow() {
  if (!borrowed_) return;
  borrowed_ = false;
  chars_ = sharedEmpty;
  capacity_ = 0;
  length_ = 0;
}

RefString RefString::privateCopy() const { return RefString(chars_, 0, length_); }

int RefString::reserve(int n, bool doubling) {
  if (borrowed_) return capacity_ >= n ? 0 : -1;
  if (chars_ != sharedEmpty && countOf(chars_) > 1) {
    int size = n > length_ ? n : length_;
    char* fresh = allocateBlock(size);
    std::memcpy(fresh, chars_, length_);
    fresh[length_] = 0;
    --countOf(chars_);
    chars_ = fresh;
    capacity_ = size;
    return 0;
  }
  if (n <= capacity_) return 0;
  if (chars_ == sharedEmpty) {
    chars_ = allocateBlock(n);
  } else {
    if (doubling) n *= 2;
    char* block = static_cast<char*>(std::realloc(chars_ - countBytes, n + blockOverhead));
    chars_ = block + countBytes;
  }
  capacity_ = n;
  return 0;
}

void RefString::append(const RefString& other) {
  if (other.length_ <= 0) return;
  if (borrowed_) {
    RefString own = privateCopy();
    *this = std::move(own);
  }
  reserve(length_ + other.length_, true);
  int n = other.length_ < capacity_ - length_ ? other.length_ : capacity_ - length_;
  std::memcpy(chars_ + length_, other.chars_, n);
  length_ += n;
  chars_[length_] = 0;
}

void RefString::assign(const RefString& other) {
  if (&other == this) return;
  dropBorrow();
  if (!other.borrowed_ && other.chars_ != sharedEmpty) {
    ++countOf(other.chars_);  // before releasing: assigning to itself stays safe
    release();
    chars_ = other.chars_;
    length_ = other.length_;
    capacity_ = other.capacity_;
  } else if (other.length_ != 0) {
    reserve(other.length_, true);
    std::memcpy(chars_, other.chars_, other.length_);
    chars_[other.length_] = 0;
    length_ = other.length_;
  } else {
    clear();
  }
}

void RefString::assign(const char* text) {
  int count = static_cast<int>(std::strlen(text));
  if (borrowed_ || count == 0) {
    clear();
    return;
  }
  clear();
  reserve(count, true);
  std::memcpy(chars_, text, count);
  chars_[count] = 0;
  length_ = count;
}

void RefString::clear() {
  dropBorrow();
  release();
  length_ = 0;
}

RefString RefString::substring(int pos, int count) const {
  if (pos < 0) {
    count = count < INT32_MIN - pos ? INT32_MIN : count + pos;  // no signed overflow
    pos = 0;
  }
  if (pos > length_) {
    pos = length_;
    count = 0;
  }
  if (count < 0) count = 0;
  if (count > length_ - pos) count = length_ - pos;
  return RefString(chars_, pos, count);
}

int RefString::findFirst(char ch) const {
  if (length_ == 0) return -1;
  for (int i = 0; i < length_; ++i)
    if (chars_[i] == ch) return i;
  return length_;
}

int RefString::findLast(char ch) const {
  for (int i = length_ - 1; i >= 0; --i)
    if (chars_[i] == ch) return i;
  return -1;
}

int RefString::compare(const RefString& other) const {
  int shorter = length_ < other.length_ ? length_ : other.length_;
  for (int i = 0; i < shorter; ++i) {
    signed char mine = static_cast<signed char>(chars_[i]);
    signed char theirs = static_cast<signed char>(other.chars_[i]);
    if (mine != theirs) return mine < theirs ? -1 : 1;
  }
  if (length_ == other.length_) return 0;
  return length_ < other.length_ ? -1 : 1;
}
