// The JSON writer both the parameter file and the glTF exporter write through: what it
// escapes and where it puts commas and blanks.
#include <gtest/gtest.h>

#include "model/JsonText.h"

TEST(JsonTextTest, StringsAreEscapedAsJsonRequires) {
    EXPECT_EQ(JsonString("plain"), "\"plain\"");
    EXPECT_EQ(JsonString("say \"hi\"\\now"), R"("say \"hi\"\\now")");
    EXPECT_EQ(JsonString("a\nb\tc\rd\be\ff"), R"("a\nb\tc\rd\be\ff")");
    EXPECT_EQ(JsonString(std::string_view("\x01\x1f\0", 3)), R"("\u0001\u001f\u0000")");
    // Everything else, UTF-8 and DEL included, is taken as it is.
    EXPECT_EQ(JsonString("Gr\xc3\xbc\xc3\x9f\x7f"), "\"Gr\xc3\xbc\xc3\x9f\x7f\"");
    // Names are escaped the same way.
    JsonWriter json;
    json.BeginObject().Key("a\"b").Integer(1).EndObject();
    EXPECT_EQ(json.Text(), R"({"a\"b":1})");
}

TEST(JsonTextTest, CompactTextHasNoBlanks) {
    JsonWriter json;
    json.BeginObject();
    json.Key("empty").BeginArray().EndArray();
    json.Key("none").BeginObject().EndObject();
    json.Key("list").BeginArray().Integer(18446744073709551615u).Float(2.5f).Float(-0.0f);
    json.Bool(true).Bool(false).String("x").BeginArray().Integer(0).EndArray().EndArray();
    json.Key("inner").BeginObject().Key("f").Float(1e-5f).Key("g").Float(0.1f).EndObject();
    json.EndObject();
    EXPECT_EQ(json.Text(), R"({"empty":[],"none":{},"list":[18446744073709551615,2.5,-0,true,)"
                           R"(false,"x",[0]],"inner":{"f":1e-05,"g":0.1}})");
}

TEST(JsonTextTest, ReadableTextHasOneMemberALine) {
    JsonWriter json(JsonWriter::Layout::Readable);
    json.BeginObject();
    json.Key("a").Float(19.29f);
    json.Key("list").BeginArray().Integer(1).Integer(2).EndArray();
    json.Key("camera").BeginObject().Key("x").Float(0).Key("y").Float(-1.5f).EndObject();
    json.EndObject();
    EXPECT_EQ(json.Text(), "{\n"
                           "    \"a\": 19.29,\n"
                           "    \"list\": [1, 2],\n"
                           "    \"camera\": {\"x\": 0, \"y\": -1.5}\n"
                           "}\n");

    JsonWriter empty(JsonWriter::Layout::Readable);
    empty.BeginObject().EndObject();
    EXPECT_EQ(empty.Text(), "{}\n");
    JsonWriter list(JsonWriter::Layout::Readable);
    list.BeginArray().String("one").BeginObject().Key("k").Bool(true).EndObject().EndArray();
    EXPECT_EQ(list.Text(), "[\n    \"one\",\n    {\"k\": true}\n]\n");
}
