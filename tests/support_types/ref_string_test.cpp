// RefString: sharing, copy-on-write, growth, borrowing and the text operations.
#include "support/ref_string.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>

namespace {

std::string text(const RefString& s) { return std::string(s.chars(), s.length()); }

RefString owned(const char* literal) { return RefString(literal, 0, -1); }

TEST(RefStringGrowth, ScrollTextAppendsDoubleOnlyWhenNeeded) {
  const int blocks[8] = {275, 1868, 966, 175, 1238, 1236, 1237, 258};
  const int capacityAfter[8] = {275, 4286, 4286, 4286, 9044, 9044, 9044, 9044};
  std::string source(2000, 'x');
  RefString scroll;
  int total = 0;
  for (int b = 0; b < 8; ++b) {
    scroll.append(RefString::borrow(source.c_str(), 0, blocks[b]));
    total += blocks[b];
    EXPECT_EQ(scroll.capacity(), capacityAfter[b]) << "after block " << b;
    EXPECT_EQ(scroll.length(), total);
    EXPECT_EQ(scroll.chars()[scroll.length()], 0);
  }
  EXPECT_EQ(total, 7253);
}

TEST(RefStringGrowth, AppendToFullOwnBlockDoublesTheNeed) {
  RefString s = owned("hello");
  ASSERT_EQ(s.capacity(), 5);
  s.append(owned("abc"));
  EXPECT_EQ(s.capacity(), 16);
  EXPECT_EQ(text(s), "helloabc");
}

TEST(RefStringSharing, AppendToSharedBlockUnsharesExactly) {
  RefString first = owned("hello");
  RefString second = first;
  EXPECT_EQ(first.chars(), second.chars()) << "a copy must share the block";
  second.append(owned("abc"));
  EXPECT_NE(first.chars(), second.chars());
  EXPECT_EQ(second.capacity(), 8);
  EXPECT_EQ(text(second), "helloabc");
  EXPECT_EQ(text(first), "hello");
  EXPECT_EQ(first.chars()[5], 0);
}

TEST(RefStringSharing, AssignSharesAndSurvivesSelfAssignment) {
  RefString a = owned("abc");
  RefString b;
  b.assign(a);
  EXPECT_EQ(a.chars(), b.chars());
  b.assign(b);
  a.assign(a);
  EXPECT_EQ(text(a), "abc");
  EXPECT_EQ(text(b), "abc");
  a.clear();
  EXPECT_EQ(text(b), "abc") << "clearing one sharer must leave the other intact";
}

TEST(RefStringSharing, EmptyStringsShareOneBlockAndNeverAllocate) {
  RefString a, b;
  RefString c(nullptr, 0, 3), d("abc", 1, 0), e = owned("abc").substring(10, 3);
  for (const RefString* s : {&b, &c, &d, &e}) {
    EXPECT_EQ(s->chars(), a.chars());
    EXPECT_EQ(s->capacity(), 0);
    EXPECT_EQ(s->chars()[0], 0);
  }
  RefString copy = a;  // NOLINT(performance-unnecessary-copy-initialization): the copy is tested
  EXPECT_EQ(copy.chars(), a.chars());
}

TEST(RefStringBorrowing, CopyOfBorrowedOwnsPrivateBlock) {
  char buffer[] = "file-name.mod";
  RefString copy;
  {
    RefString view = RefString::borrow(buffer, 5, -1);
    EXPECT_TRUE(view.isBorrowed());
    EXPECT_EQ(view.chars(), buffer + 5);
    EXPECT_EQ(view.length(), 8);
    EXPECT_EQ(view.capacity(), 8);
    copy = RefString(view);
  }  // destroying the view must not free the buffer (the sanitizer build would catch it)
  EXPECT_FALSE(copy.isBorrowed());
  EXPECT_NE(copy.chars(), buffer + 5);
  EXPECT_EQ(text(copy), "name.mod");
  EXPECT_STREQ(buffer, "file-name.mod");
}

TEST(RefStringBorrowing, ReserveReportsTooSmall) {
  RefString view = RefString::borrow("abcdef", 0, 4);
  EXPECT_EQ(view.reserve(4, true), 0);
  EXPECT_EQ(view.reserve(5, true), -1);
  EXPECT_EQ(view.capacity(), 4);
  EXPECT_TRUE(view.isBorrowed());
}

// A borrowed target never writes into (or past) the characters it borrows.
TEST(RefStringBorrowing, BorrowedTargetLeavesTheLenderUntouched) {
  const char lender[] = "abcdefgh";
  RefString appended = RefString::borrow(lender, 2, 3);
  appended.append(owned("XY"));
  EXPECT_EQ(text(appended), "cdeXY");
  EXPECT_FALSE(appended.isBorrowed());

  RefString assigned = RefString::borrow(lender, 0, 2);
  assigned.assign(owned("a much longer text"));
  EXPECT_EQ(text(assigned), "a much longer text");

  RefString fromView = RefString::borrow(lender, 0, 2);
  fromView.assign(RefString::borrow(lender, 4, 4));
  EXPECT_EQ(text(fromView), "efgh");
  EXPECT_EQ(fromView.chars()[4], 0);

  RefString cleared = RefString::borrow(lender, 1, 3);
  cleared.clear();
  EXPECT_EQ(cleared.length(), 0);
  RefString textAssigned = RefString::borrow(lender, 1, 3);
  textAssigned.assign("zz");
  EXPECT_EQ(textAssigned.length(), 0);

  EXPECT_STREQ(lender, "abcdefgh");
}

TEST(RefStringText, SubstringClamps) {
  RefString s = owned("abcdef");
  EXPECT_EQ(text(s.substring(-2, 5)), "abc");
  EXPECT_EQ(s.substring(10, 3).length(), 0);
  EXPECT_EQ(text(s.substring(2, INT_MAX)), "cdef");
  EXPECT_EQ(text(s.substring(1, 2)), "bc");
  EXPECT_EQ(s.substring(3, -1).length(), 0);
  EXPECT_EQ(s.substring(-3, INT_MIN).length(), 0);
  EXPECT_EQ(text(s.substring(6, 1)), "");
}

TEST(RefStringText, CompareIsSignedBytewise) {
  EXPECT_EQ(owned("abc").compare(owned("abd")), -1);
  EXPECT_EQ(owned("abd").compare(owned("abc")), 1);
  EXPECT_EQ(owned("abc").compare(owned("ab")), 1);
  EXPECT_EQ(owned("ab").compare(owned("abc")), -1);
  EXPECT_EQ(RefString().compare(RefString()), 0);
  EXPECT_EQ(owned("Zeta").compare(owned("alpha")), -1) << "upper case sorts first";
  EXPECT_EQ(owned("\xE9t\xE9").compare(owned("a")), -1) << "bytes above 0x7F are negative";
  EXPECT_EQ(owned("abc").compare(RefString::borrow("abcdef", 0, 3)), 0);
}

TEST(RefStringText, FindFirstAndLast) {
  RefString dashed = owned("a-b-c");
  EXPECT_EQ(dashed.findFirst('-'), 1);
  EXPECT_EQ(dashed.findLast('-'), 3);
  RefString plain = owned("abc");
  EXPECT_EQ(plain.findFirst('-'), 3);
  EXPECT_EQ(plain.findLast('-'), -1);
  EXPECT_EQ(RefString().findFirst('-'), -1);
  EXPECT_EQ(RefString().findLast('-'), -1);
}

TEST(RefStringText, ConstructionFromInteger) {
  EXPECT_EQ(text(RefString(12)), "12");
  EXPECT_EQ(text(RefString(0)), "0");
  EXPECT_EQ(text(RefString(-305)), "-305");
  EXPECT_EQ(text(RefString(INT_MIN)), "-2147483648");
}

}  // namespace
