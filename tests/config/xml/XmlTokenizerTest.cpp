#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config/xml/XmlTokenizer.h"

namespace tessaly {
namespace {

std::string KindName(XmlTokenKind kind) {
  switch (kind) {
    case XmlTokenKind::kStartTag: return "start";
    case XmlTokenKind::kEndTag: return "end";
    case XmlTokenKind::kProcessingInstruction: return "pi";
    case XmlTokenKind::kComment: return "comment";
    case XmlTokenKind::kCdataSection: return "cdata";
    case XmlTokenKind::kDocumentType: return "doctype";
    case XmlTokenKind::kText: return "text";
    case XmlTokenKind::kError: return "error";
    case XmlTokenKind::kEnd: return "eof";
  }
  return "?";
}

// The whole token sequence of `text`, one line per token: kind, bytes, and for start tags
// a trailing '/' when self-closing, for errors the note (and unterminated type).
std::vector<std::string> Transcript(std::string_view text) {
  std::vector<std::string> lines;
  XmlTokenizer tokenizer(text);
  for (XmlToken token = tokenizer.Next(); token.kind != XmlTokenKind::kEnd; token = tokenizer.Next()) {
    std::string line = KindName(token.kind) + "[" + std::string(text.substr(token.start, token.length)) + "]";
    if (token.selfClosing) line += "/";
    if (!token.note.empty()) line += " " + std::string(token.note);
    if (!token.unterminatedType.empty()) line += ":" + std::string(token.unterminatedType);
    lines.push_back(line);
  }
  return lines;
}

using Lines = std::vector<std::string>;

TEST(XmlTokenizer, SplitsMarkupAndText) {
  EXPECT_EQ(Transcript("\xEF\xBB\xBF<?xml v?><!-- c --><r a=\"1\"> t <![CDATA[<x>]]></r>\n"),
            (Lines{"text[\xEF\xBB\xBF]", "pi[<?xml v?>]", "comment[<!-- c -->]", "start[<r a=\"1\">]",
                   "text[ t ]", "cdata[<![CDATA[<x>]]>]", "end[</r>]", "text[\n]"}));
}

TEST(XmlTokenizer, StartTagBeginsWithNameBytesOnly) {
  // Capitals, '_', ':', and every byte above 0x60 (including '{' and UTF-8 lead bytes).
  EXPECT_EQ(Transcript("<A><_><:><{><\xE4\xB8\xAD>"),
            (Lines{"start[<A>]", "start[<_>]", "start[<:>]", "start[<{>]", "start[<\xE4\xB8\xAD>]"}));
  // '`' (0x60), digits and '-' open no start tag.
  EXPECT_EQ(Transcript("<`a>"), (Lines{"error[<`a>] first_tag_syntax"}));
  EXPECT_EQ(Transcript("<1>"), (Lines{"error[<1>] first_tag_syntax"}));
}

TEST(XmlTokenizer, QuotesProtectCloseOnlyAfterEquals) {
  EXPECT_EQ(Transcript("<a b = 'x>y'>"), (Lines{"start[<a b = 'x>y'>]"}));
  EXPECT_EQ(Transcript("<a b=\"x>y\" c='>'>"), (Lines{"start[<a b=\"x>y\" c='>'>]"}));
  // A quote that does not follow '=' is an ordinary byte.
  EXPECT_EQ(Transcript("<a \"b>c\">"), (Lines{"start[<a \"b>]", "text[c\">]"}));
  EXPECT_EQ(Transcript("<a b=x'y>z'>"), (Lines{"start[<a b=x'y>]", "text[z'>]"}));
  // Further '=' bytes still wait for the value, so the quote after them protects.
  EXPECT_EQ(Transcript("<a b=='>'>"), (Lines{"start[<a b=='>'>]"}));
}

TEST(XmlTokenizer, SelfClosingNeedsSlashOutsideUnquotedValue) {
  EXPECT_EQ(Transcript("<a/><a b/><a b=\"1\"/><a b='1'/><a b=1 /><a b=1/><a b=/><a b= />"),
            (Lines{"start[<a/>]/", "start[<a b/>]/", "start[<a b=\"1\"/>]/", "start[<a b='1'/>]/",
                   "start[<a b=1 />]/", "start[<a b=1/>]", "start[<a b=/>]", "start[<a b= />]/"}));
  // Inside an unquoted value a quote before the '/' also makes it self-closing.
  EXPECT_EQ(Transcript("<a b=x\"/>"), (Lines{"start[<a b=x\"/>]/"}));
  EXPECT_EQ(Transcript("<a b=>"), (Lines{"start[<a b=>]"}));
}

TEST(XmlTokenizer, DocumentTypeSkipsNestedDeclarations) {
  EXPECT_EQ(Transcript("<!DOCTYPE r [<!ENTITY e \"a>b\"><!ATTLIST r x CDATA '>'>"
                       "<!NOTATION n SYSTEM \"n\"><!-- > --><?p > ?>]><r/>"),
            (Lines{"doctype[<!DOCTYPE r [<!ENTITY e \"a>b\"><!ATTLIST r x CDATA '>'>"
                   "<!NOTATION n SYSTEM \"n\"><!-- > --><?p > ?>]>]",
                   "start[<r/>]/"}));
  // Outside a nested declaration the first '>' ends the document type, quotes or not.
  EXPECT_EQ(Transcript("<!DOCTYPE r \"a>b\">"), (Lines{"doctype[<!DOCTYPE r \"a>]", "text[b\">]"}));
  // A bare '<' inside is ordinary content.
  EXPECT_EQ(Transcript("<!DOCTYPE a<b>"), (Lines{"doctype[<!DOCTYPE a<b>]"}));
}

TEST(XmlTokenizer, BadMarkupRunsToNextCloseOrStopsBeforeNextOpen) {
  EXPECT_EQ(Transcript("< a>b"), (Lines{"error[< a>] first_tag_syntax", "text[b]"}));
  EXPECT_EQ(Transcript("< a<b>"), (Lines{"error[< a] first_tag_syntax", "start[<b>]"}));
  EXPECT_EQ(Transcript("<<b>"), (Lines{"error[<] first_tag_syntax", "start[<b>]"}));
  EXPECT_EQ(Transcript("<!x>"), (Lines{"error[<!x>] exclamation_tag_syntax"}));
  EXPECT_EQ(Transcript("<!-x>"), (Lines{"error[<!-x>] comment_tag_syntax"}));
  EXPECT_EQ(Transcript("<![X[a]]>"), (Lines{"error[<![X[a]]>] cdata_section_syntax"}));
  EXPECT_EQ(Transcript("<!DOCTYPE a [<!X y>]>"),
            (Lines{"error[<!DOCTYPE a [<!X y>] doctype_tag_syntax", "text[]>]"}));
  EXPECT_EQ(Transcript("<!DOCTYPE a [<!-x>]>"),
            (Lines{"error[<!DOCTYPE a [<!-x>] comment_tag_syntax", "text[]>]"}));
}

TEST(XmlTokenizer, CdataCheckOnlyTheFirstLetter) {
  EXPECT_EQ(Transcript("<![Cx]]>"), (Lines{"cdata[<![Cx]]>]"}));
  EXPECT_EQ(Transcript("<![CDATA[]]]]>"), (Lines{"cdata[<![CDATA[]]]]>]"}));
}

TEST(XmlTokenizer, UnterminatedMarkupNamesItsKind) {
  struct Case {
    std::string text;
    std::string line;
  };
  const Case cases[] = {
      {"<a b='>", "error[<a b='>] unterminated_tag_syntax:start_tag"},
      {"<a", "error[<a] unterminated_tag_syntax:start_tag"},
      {"<a b=", "error[<a b=] unterminated_tag_syntax:start_tag"},
      {"<a b=c", "error[<a b=c] unterminated_tag_syntax:start_tag"},
      {"</a", "error[</a] unterminated_tag_syntax:end_tag"},
      {"<?p ?", "error[<?p ?] unterminated_tag_syntax:processing_instruction"},
      {"<?>", "error[<?>] unterminated_tag_syntax:processing_instruction"},
      {"<!-- --", "error[<!-- --] unterminated_tag_syntax:comment"},
      {"<!-->", "error[<!-->] unterminated_tag_syntax:comment"},
      {"<![CDATA[ ]]", "error[<![CDATA[ ]]] unterminated_tag_syntax:cdata_section"},
      {"<!DOCTYPE a", "error[<!DOCTYPE a] unterminated_tag_syntax:document_type"},
      {"<!DOCTYPE a [<!ENTITY e '>", "error[<!DOCTYPE a [<!ENTITY e '>] unterminated_tag_syntax:document_type"},
      {"<!DOCTYPE a [<!-- >", "error[<!DOCTYPE a [<!-- >] unterminated_tag_syntax:document_type"},
      {"<!DOCTYPE a <", "error[<!DOCTYPE a <] unterminated_tag_syntax:document_type"},
      {"<!DOCTYPE a <!", "error[<!DOCTYPE a <!] unterminated_tag_syntax:document_type"},
      {"<", "error[<] unterminated_tag_syntax:tag"},
      {"<!", "error[<!] unterminated_tag_syntax:tag"},
      {"<!-", "error[<!-] unterminated_tag_syntax:tag"},
      {"<![", "error[<![] unterminated_tag_syntax:tag"},
      {"< a", "error[< a] unterminated_tag_syntax:tag"},
      {"<!x", "error[<!x] unterminated_tag_syntax:tag"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Transcript(c.text), Lines{c.line}) << c.text;
  }
}

}  // namespace
}  // namespace tessaly
