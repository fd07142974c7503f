// A short-lived regular-expression search over system text: create, run one Search,
// read the matches or a replacement, destroy.
//
// Patterns use ECMAScript-style syntax. Letters are compared without case unless asked,
// \w is ASCII letters, digits and the underscore, \s is ASCII white space (a Chinese
// character is neither), and a match never splits a two-byte character. Match and group
// numbers count from 1. Nothing throws: a failure gives false, 0 or the empty text.
#pragma once

#include <memory>

#include "text/text.h"

namespace korvane {

// The matches of one search; defined with the search itself.
struct RegexMatches;

class RegexObject {
  public:
    // True when the pattern compiled and the search ran, also when nothing matched. False
    // when the pattern does not compile or the engine gives up (match limits); every
    // result is then empty.
    bool Search(const Text& pattern, const Text& subject, bool match_case = false,
                bool multiline = true, bool global = true);

    // The pattern of the last Search; empty before the first.
    Text Pattern() const;

    // The subject of the last successful Search with its matches replaced. The replacement
    // may refer to $1..$99, $& (the match), $` (before it), $' (after it) and $$ (a dollar
    // sign); any other $ stays as written. Empty without a successful Search.
    Text Replace(const Text& replacement);

    int MatchCount() const;
    // Text of match i; empty outside 1..MatchCount().
    Text MatchText(int i) const;
    // Text of group j of match i; empty outside the ranges and for a group that took no
    // part in the match.
    Text SubmatchText(int i, int j) const;
    // Number of groups of the first match; 0 when nothing matched.
    int SubmatchCount() const;

  private:
    // Group j of match i, the whole match for j == 0.
    Text group_text(int i, int j) const;

    Text pattern_;
    // The subject and its matches; read-only once a Search has filled it, so copies
    // share it.
    std::shared_ptr<const RegexMatches> matches_;
};

}  // namespace korvane
