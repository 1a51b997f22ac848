// The request reader: the JSON a page sends, its escapes and its mistakes.
#include <gtest/gtest.h>

#include <string>

#include "desk/request.h"

namespace {

// Reads `json`; the field `text` is pre-filled so that a reader that leaves it is seen.
struct Read {
  desk::Request request;
  std::string problem;

  explicit Read(const std::string& json) {
    request.texts["text"] = "sentinel";
    request.flags["check"] = true;
    problem = desk::ReadRequest(json, request);
  }
  std::string Text() const {
    const std::string* text = request.Text("text");
    return text != nullptr ? *text : "(none)";
  }
};

TEST(RequestReader, StringsArriveAsTheirUtf8Bytes) {
  struct Case {
    const char* json;
    std::string text;
  };
  const Case table[] = {
      {R"({"text":"a\"b\\c\/d"})", "a\"b\\c/d"},
      {R"({"text":"\b\f\n\r\t"})", "\b\f\n\r\t"},
      {R"({"text":"caf\u00e9 \u20ac"})", "caf\xC3\xA9 \xE2\x82\xAC"},
      {R"({"text":"caf\u00E9"})", "caf\xC3\xA9"},
      {R"({"text":"\ud83c\udfac"})", "\xF0\x9F\x8E\xAC"},
      // The ends of the three- and four-byte forms and of the surrogates.
      {R"({"text":"\uffff \ud800\udc00 \udbff\udfff"})",
       "\xEF\xBF\xBF \xF0\x90\x80\x80 \xF4\x8F\xBF\xBF"},
      {R"({"text":"\u07ff\u0800\u007f\u0080"})", "\xDF\xBF\xE0\xA0\x80\x7F\xC2\x80"},
      // A surrogate without its partner is U+FFFD, as a browser decodes it.
      {R"({"text":"\ud83c!"})", "\xEF\xBF\xBD!"},
      {R"({"text":"\udfac"})", "\xEF\xBF\xBD"},
      {R"({"text":"\ud83c\u0041"})",
       "\xEF\xBF\xBD"
       "A"},
      {R"({"text":"\ud83c\u0000"})", std::string("\xEF\xBF\xBD\0", 4)},
      {"{\"text\":\"caf\xC3\xA9\"}", "caf\xC3\xA9"},
      {R"({"text":"\u0000x"})", std::string("\0x", 2)},
      {R"({"text":""})", ""},
      {" \n\t{ \"text\" : \"a\" } \r\n", "a"},
  };
  for (const Case& c : table) {
    const Read read(c.json);
    EXPECT_EQ(read.problem, "") << c.json;
    EXPECT_EQ(read.Text(), c.text) << c.json;
  }
}

TEST(RequestReader, TruthValuesAndEverythingElseReadPast) {
  const Read read(R"({"n":-1.5e+3,"a":[1,[2,{"x":null}],"s"],"o":{"text":"inner"},"e":[ ],"f":{ },)"
                  R"("check":false,"on":true})");
  EXPECT_EQ(read.problem, "");
  EXPECT_EQ(read.Text(), "(none)") << "a nested field is not the request's";
  EXPECT_FALSE(read.request.Flag("check"));
  EXPECT_TRUE(read.request.Flag("on"));
  EXPECT_FALSE(read.request.Flag("absent"));
  EXPECT_EQ(read.request.Text("n"), nullptr);
}

TEST(RequestReader, AMistakeIsNamedWithWhereItIs) {
  struct Case {
    std::string json;
    const char* problem;
  };
  const Case table[] = {
      {"", "expected a JSON object at byte 0"},
      {"\"text\"", "expected a JSON object at byte 0"},
      {"{", "expected a string at byte 1"},
      {"{\"text\"}", "expected ':' at byte 7"},
      {"{\"text\":}", "expected a value at byte 8"},
      {"{\"text\":\"a\",}", "expected a string at byte 12"},
      {"{\"text\":\"a\"} x", "more after the request's object at byte 13"},
      {"{\"text\":\"a", "unfinished string at byte 10"},
      {"{\"text\":\"a\\", "unfinished string at byte 11"},
      {"{\"text\":\"a\\x\"}", "bad escape '\\x' at byte 11"},
      {"{\"text\":\"\\u12g4\"}", "bad \\u escape at byte 13"},
      {"{\"text\":\"\\ud83c\\u12\"}", "bad \\u escape at byte 19"},
      {"{\"text\":\"\\u00e9", "unfinished string at byte 15"},
      {"{\"text\":\"\\u00e", "bad \\u escape at byte 14"},
      {"{\"text\":\"a\nb\"}", "a control character in a string at byte 10"},
      {"{\"n\":1.}", "expected a digit at byte 7"},
      {"{\"n\":1e}", "expected a digit at byte 7"},
      {"{\"n\":-}", "expected a value at byte 6"},
      {"{\"n\":tru}", "expected a value at byte 5"},
      {"{\"a\":[1 2]}", "expected ',' or ']' at byte 8"},
      {"{\"a\":{\"b\" 1}}", "expected ':' at byte 10"},
      {"{\"a\":" + std::string(40, '[') + std::string(40, ']') + "}",
       "nested too deeply at byte 37"},
  };
  for (const Case& c : table) {
    const Read read(c.json);
    EXPECT_EQ(read.problem, c.problem) << "request: " << c.json;
  }
}

TEST(RequestReader, NestingJustWithinTheLimitReads) {
  const std::string json = "{\"a\":" + std::string(32, '[') + std::string(32, ']') + "}";
  EXPECT_EQ(Read(json).problem, "");
}

TEST(RequestReader, AReadStartsFromNothing) {
  desk::Request request;
  request.texts["op"] = "sentinel";
  request.flags["check"] = true;
  EXPECT_EQ(desk::ReadRequest("{\"file\":\"a\"}", request), "");
  EXPECT_EQ(request.Text("op"), nullptr);
  EXPECT_FALSE(request.Flag("check"));
  ASSERT_NE(request.Text("file"), nullptr);
  EXPECT_EQ(*request.Text("file"), "a");
}

}  // namespace
