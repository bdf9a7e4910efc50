#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "sync/JSONValue.h"
#include "sync/PullResponse.h"
#include "sync/PushResponse.h"
#include "sync/SyncDecodingError.h"

namespace zelvorin {
namespace {

using Kind = JSONValue::Kind;

TEST(JSONValueTest, DecodesEachKindOfValue) {
    struct Case {
        const char* text;
        Kind kind;
    };
    for (const Case& c : {Case{"true", Kind::boolean}, Case{"3", Kind::number}, Case{"\"3\"", Kind::string},
                          Case{"[]", Kind::array}, Case{"{}", Kind::object}, Case{"null", Kind::null},
                          Case{"-2.5e3", Kind::number}, Case{"false", Kind::boolean}}) {
        EXPECT_EQ(JSONValue::parse(c.text).kind(), c.kind) << c.text;
    }
    EXPECT_EQ(JSONValue::parse("3").asNumber(), 3.0);
    EXPECT_EQ(*JSONValue::parse("\"3\"").asString(), "3");
    EXPECT_EQ(JSONValue::parse("true").asBool(), true);
    EXPECT_TRUE(JSONValue::parse("[]").asArray()->empty());
    EXPECT_TRUE(JSONValue::parse("{}").asObject()->empty());
    // A number is never a boolean and the reverse, whatever the JSON library would convert.
    EXPECT_EQ(JSONValue::parse("1").asBool(), std::nullopt);
    EXPECT_EQ(JSONValue::parse("true").asNumber(), std::nullopt);
}

TEST(JSONValueTest, WholeNumbersStayWholeOnTheWayBack) {
    EXPECT_EQ(JSONValue::parse("12").dump(), "12");
    EXPECT_EQ(JSONValue::parse("12.0").dump(), "12");
    EXPECT_EQ(JSONValue::parse("-7").dump(), "-7");
    EXPECT_EQ(JSONValue::parse("12.5").dump(), "12.5");
    EXPECT_EQ(JSONValue(0.1).dump(), "0.1");
    EXPECT_EQ(JSONValue(-0.0).dump(), "-0.0");
    EXPECT_EQ(JSONValue::parse("9007199254740992").dump(), "9007199254740992");    // 2^53
    EXPECT_EQ(JSONValue::parse("-9007199254740991").dump(), "-9007199254740991");  // -(2^53 - 1)
    EXPECT_EQ(JSONValue::parse("9007199254740992").asInteger(), std::int64_t{1} << 53);
    EXPECT_EQ(JSONValue::parse("1e300").dump(), "1e+300");  // past the integer range: stays a float

    EXPECT_EQ(JSONValue(12).asInteger(), 12);
    EXPECT_EQ(JSONValue(12.5).asInteger(), std::nullopt);
    EXPECT_EQ(JSONValue(9.3e18).asInteger(), std::nullopt);  // beyond 2^63
    EXPECT_EQ(JSONValue(std::nan("")).asInteger(), std::nullopt);
    EXPECT_EQ(JSONValue("12").asInteger(), std::nullopt);
}

TEST(JSONValueTest, ObjectsKeepTheirOrderButCompareAsSets) {
    const JSONValue decoded = JSONValue::parse(R"({"z":1,"a":{"y":[true,null],"b":"x"},"m":null})");
    EXPECT_EQ(decoded.dump(), R"({"z":1,"a":{"y":[true,null],"b":"x"},"m":null})");
    EXPECT_EQ(decoded, JSONValue::parse(R"({"m":null,"a":{"b":"x","y":[true,null]},"z":1.0})"));
    EXPECT_NE(decoded, JSONValue::parse(R"({"z":1,"a":{"y":[null,true],"b":"x"},"m":null})"));
    EXPECT_NE(decoded, JSONValue::parse(R"({"z":1,"a":{"y":[true,null],"b":"x"}})"));
    EXPECT_NE(JSONValue::parse("{}"), JSONValue::parse("[]"));
    EXPECT_NE(JSONValue::parse("0"), JSONValue::parse("false"));
    EXPECT_NE(JSONValue::parse("null"), JSONValue::parse("\"\""));

    JSONObject object{{"b", 1}, {"a", 2}, {"b", 3}};  // a repeated key replaces, in its place
    EXPECT_EQ(JSONValue(object).dump(), R"({"b":3,"a":2})");
    object.set("c", JSONValue::array({"x", nullptr}));
    EXPECT_TRUE(object.erase("a"));
    EXPECT_FALSE(object.erase("a"));
    EXPECT_EQ(JSONValue(object).dump(), R"({"b":3,"c":["x",null]})");
    EXPECT_EQ(JSONValue(object).find("b")->asInteger(), 3);
    EXPECT_EQ(JSONValue(object).find("a"), nullptr);
    EXPECT_EQ(JSONValue(5).find("a"), nullptr);
}

TEST(JSONValueTest, RefusesWhatIsNoJsonValue) {
    const auto problem = [](auto&& decode) -> std::string {
        try {
            decode();
        } catch (const SyncDecodingError& error) {
            return error.what();
        }
        return "no error";
    };
    EXPECT_EQ(problem([] {
                  JSONValue::fromJson(nlohmann::ordered_json::binary({1, 2, 3}));
              }),
              "Onbekend JSON-type");
    nlohmann::ordered_json nested = {{"list", {1, nlohmann::ordered_json::binary({9})}}};
    EXPECT_EQ(problem([&] { JSONValue::fromJson(nested); }), "list[1]: Onbekend JSON-type");

    // Inside a pull page the path starts at the body.
    nlohmann::ordered_json page = nlohmann::ordered_json::parse(
        R"({"nextCursor":"c","serverTime":"t","hasMore":false,"changes":[{"entityType":"customer",
            "entityId":"1","operation":"update","serverRevision":2,"changedAt":"t","payload":{}}]})");
    page["changes"][0]["payload"]["logo"] = nlohmann::ordered_json::binary({1});
    EXPECT_EQ(problem([&] { decodePullResponse(page); }), "changes[0].payload.logo: Onbekend JSON-type");

    EXPECT_EQ(problem([] { JSONValue::parse("{\"a\":"); }), "ongeldige JSON bij teken 6");
    // Found by fuzzing: the parser refuses a number beyond a double's range with an error of
    // another kind, which escaped as if it were no decoding problem.
    EXPECT_EQ(problem([] { JSONValue::parse("90007199E254747409"); }), "getal buiten bereik");
    EXPECT_EQ(problem([] { parsePushResponse(R"({"accepted":-1e400})"); }), "getal buiten bereik");
    EXPECT_EQ(JSONValue::parse(std::string(200, '[') + std::string(200, ']')).kind(), Kind::array);
    EXPECT_TRUE(problem([] {
                    JSONValue::parse(std::string(300, '[') + std::string(300, ']'));
                }).ends_with("[0]: te diep genest"));
}

}  // namespace
}  // namespace zelvorin
