#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "sync/PullResponse.h"
#include "sync/PushRequest.h"
#include "sync/PushResponse.h"
#include "sync/SyncDecodingError.h"

namespace zelvorin {
namespace {

using nlohmann::ordered_json;

PushChange sampleChange() {
    PushChange change;
    change.entityType = SyncEntityType::invoiceLine;
    change.entityId = "5f0c2a51-8d8e-4d0e-9a53-0c6f3b1f2e11";
    change.operation = SyncOperation::update;
    change.clientRevision = 4;
    change.baseServerRevision = 3;
    change.changedFields = std::vector<std::string>{"description", "unitPriceCents"};
    change.payload = JSONValue::object({{"description", "Ontwerp logo"}, {"unitPriceCents", 8500}});
    change.clientTimestamp = "2026-03-02T09:15:00.250Z";
    change.idempotencyKey = "0b5e4c0e-4b8a-4d6f-a2a4-7b7d1c3f9e20";
    return change;
}

PullChange sampleDelete() {
    return {SyncEntityType::contact, "c-17", SyncOperation::remove, 12, "2026-03-02T10:00:00Z",
            JSONValue::object()};
}

std::string decodingError(const std::function<void()>& decode) {
    try {
        decode();
    } catch (const SyncDecodingError& error) {
        return error.what();
    }
    return "no error";
}

TEST(WireBodiesTest, EveryBodySurvivesARoundTrip) {
    PushChange minimal = sampleChange();
    minimal.operation = SyncOperation::create;
    minimal.baseServerRevision.reset();
    minimal.changedFields.reset();
    minimal.payload = nullptr;
    const PushRequest request{"device-1", "cursor-9", {sampleChange(), minimal}};
    EXPECT_EQ(parsePushRequest(toJson(request).dump()), request);
    EXPECT_EQ(decodePushRequest(toJson(PushRequest{"device-1", std::nullopt, {}})),
              (PushRequest{"device-1", std::nullopt, {}}));

    const PushResponse response{{{SyncEntityType::customer, "k1", 7}},
                                {{SyncEntityType::draftInvoice, "f1", 9, "Factuur is al verstuurd"},
                                 {SyncEntityType::creditNote, "cn1", 2, std::nullopt}},
                                {{"x1", "payload ongeldig"}}};
    EXPECT_EQ(parsePushResponse(toJson(response).dump()), response);
    EXPECT_EQ(parsePushResponse(R"({"accepted":[],"conflicts":[],"errors":[]})"), PushResponse{});

    PullChange update{SyncEntityType::bankTransaction,
                      "t1",
                      SyncOperation::update,
                      41,
                      "2026-03-01T08:00:00Z",
                      JSONValue::parse(R"({"amountCents":-1250,"matchedAt":null,"tags":["a"]})")};
    const PullResponse page{"next-2", "2026-03-02T10:00:01Z", true, {update, sampleDelete()}};
    EXPECT_EQ(parsePullResponse(toJson(page).dump()), page);
}

TEST(WireBodiesTest, KeysGoOutInOrderAndAbsentOptionalsAreLeftOut) {
    EXPECT_EQ(
        toJson(sampleChange()).dump(),
        R"({"entityType":"invoiceLine","entityId":"5f0c2a51-8d8e-4d0e-9a53-0c6f3b1f2e11","operation":"update",)"
        R"("clientRevision":4,"baseServerRevision":3,"changedFields":["description","unitPriceCents"],)"
        R"("payload":{"description":"Ontwerp logo","unitPriceCents":8500},)"
        R"("clientTimestamp":"2026-03-02T09:15:00.250Z","idempotencyKey":"0b5e4c0e-4b8a-4d6f-a2a4-7b7d1c3f9e20"})");
    PushChange bare = sampleChange();
    bare.baseServerRevision.reset();
    bare.changedFields.reset();
    const ordered_json bareJson = toJson(bare);
    EXPECT_FALSE(bareJson.contains("baseServerRevision"));
    EXPECT_FALSE(bareJson.contains("changedFields"));
    EXPECT_EQ(toJson(PushRequest{"d", std::nullopt, {}}).dump(), R"({"deviceId":"d","changes":[]})");
    EXPECT_EQ(toJson(PushConflictItem{SyncEntityType::customer, "k", 3, std::nullopt}).dump(),
              R"({"entityType":"customer","entityId":"k","serverRevision":3})");
    EXPECT_EQ(toJson(sampleDelete()).dump(),
              R"({"entityType":"contact","entityId":"c-17","operation":"delete","serverRevision":12,)"
              R"("changedAt":"2026-03-02T10:00:00Z","payload":{}})");
}

TEST(WireBodiesTest, OptionalMembersMayBeNullOrAbsent) {
    ordered_json json = toJson(sampleChange());
    json["baseServerRevision"] = nullptr;
    json["changedFields"] = nullptr;
    const PushChange fromNull = decodePushChange(json);
    json.erase("baseServerRevision");
    json.erase("changedFields");
    EXPECT_EQ(decodePushChange(json), fromNull);
    EXPECT_EQ(fromNull.baseServerRevision, std::nullopt);
    EXPECT_EQ(fromNull.changedFields, std::nullopt);

    EXPECT_EQ(parsePushRequest(R"({"deviceId":"d","baseCursor":null,"changes":[]})").baseCursor,
              std::nullopt);
    EXPECT_EQ(parsePushResponse(R"({"accepted":[],"errors":[],"conflicts":[{"entityType":"customer",)"
                                R"("entityId":"k","serverRevision":1,"message":null}]})")
                  .conflicts.at(0)
                  .message,
              std::nullopt);
    // Present, an optional member must still have its type.
    json = toJson(sampleChange());
    json["baseServerRevision"] = "3";
    EXPECT_EQ(decodingError([&] { decodePushChange(json); }), "baseServerRevision: verwacht integer");
    json["baseServerRevision"] = 3;
    json["changedFields"] = "description";
    EXPECT_EQ(decodingError([&] { decodePushChange(json); }), "changedFields: verwacht array");
    EXPECT_EQ(decodingError([] { parsePushRequest(R"({"deviceId":"d","baseCursor":7,"changes":[]})"); }),
              "baseCursor: verwacht string");
    EXPECT_EQ(decodingError([] {
                  parsePushResponse(R"({"accepted":[],"errors":[],"conflicts":[{"entityType":"customer",)"
                                    R"("entityId":"k","serverRevision":1,"message":false}]})");
              }),
              "conflicts[0].message: verwacht string");

    // A required "payload" may be null: that is a JSON value too.
    json = toJson(sampleChange());
    json["payload"] = nullptr;
    EXPECT_TRUE(decodePushChange(json).payload.isNull());
}

// For every body: each required member removed, and each replaced by a value of another JSON type,
// fails the whole body with that member's path.
TEST(WireBodiesTest, MissingOrMistypedRequiredMembersFailTheBody) {
    struct Body {
        const char* name;
        ordered_json json;
        std::function<void(const ordered_json&)> decode;
        std::vector<std::pair<const char*, ordered_json>> required;  // path and a wrongly typed value
    };
    PushChange change = sampleChange();
    ordered_json pushChange = toJson(change);
    const ordered_json pushRequest = toJson(PushRequest{"d", "c", {change}});
    const ordered_json pushResponse = toJson(PushResponse{{{SyncEntityType::customer, "k1", 7}},
                                                          {{SyncEntityType::customer, "k2", 8, "m"}},
                                                          {{"k3", "kapot"}}});
    const ordered_json pullResponse = toJson(PullResponse{"n", "t", false, {sampleDelete()}});
    const std::vector<Body> bodies{
        {"PushChange",
         pushChange,
         [](const ordered_json& j) { decodePushChange(j); },
         {{"entityType", 3},
          {"entityId", 4},
          {"operation", true},
          {"clientRevision", "4"},
          {"clientTimestamp", 1},
          {"idempotencyKey", ordered_json::array()}}},
        {"PushRequest",
         pushRequest,
         [](const ordered_json& j) { decodePushRequest(j); },
         {{"deviceId", nullptr},
          {"changes", ordered_json::object()},
          {"changes[0].entityId", 5},
          {"changes[0].clientRevision", 4.5},
          {"changes[0].idempotencyKey", nullptr}}},
        {"PushResponse",
         pushResponse,
         [](const ordered_json& j) { decodePushResponse(j); },
         {{"accepted", "[]"},
          {"conflicts", nullptr},
          {"errors", 0},
          {"accepted[0].entityType", 1},
          {"accepted[0].entityId", false},
          {"accepted[0].serverRevision", 12.5},
          {"conflicts[0].entityType", nullptr},
          {"conflicts[0].entityId", 2},
          {"conflicts[0].serverRevision", "8"},
          {"errors[0].entityId", 3},
          {"errors[0].error", ordered_json::object()}}},
        {"PullResponse",
         pullResponse,
         [](const ordered_json& j) { decodePullResponse(j); },
         {{"nextCursor", 1},
          {"serverTime", nullptr},
          {"hasMore", "false"},
          {"changes", true},
          {"changes[0].entityType", 0},
          {"changes[0].entityId", nullptr},
          {"changes[0].operation", 1},
          {"changes[0].serverRevision", "12"},
          {"changes[0].changedAt", 0}}},
    };
    const auto split = [](const std::string& path) {
        const auto dot = path.rfind('.');
        return dot == std::string::npos ? std::pair{std::string(), path}
                                        : std::pair{path.substr(0, dot), path.substr(dot + 1)};
    };
    const auto parentOf = [](ordered_json& root, const std::string& parent) -> ordered_json& {
        return parent.empty() ? root : root[std::string(parent.substr(0, parent.find('[')))][0];
    };
    for (const Body& body : bodies) {
        ASSERT_EQ(decodingError([&] { body.decode(body.json); }), "no error") << body.name;
        for (const auto& [path, wrongValue] : body.required) {
            const auto [parent, key] = split(path);
            ordered_json missing = body.json;
            parentOf(missing, parent).erase(key);
            EXPECT_EQ(decodingError([&] { body.decode(missing); }), std::string(path) + ": ontbreekt")
                << body.name;

            ordered_json mistyped = body.json;
            parentOf(mistyped, parent)[key] = wrongValue;
            const std::string error = decodingError([&] { body.decode(mistyped); });
            EXPECT_TRUE(error.starts_with(std::string(path) + ": ") &&
                        error != std::string(path) + ": ontbreekt")
                << body.name << " " << path << " -> " << error;
        }
    }
    EXPECT_EQ(
        decodingError([&] { parsePullResponse(R"({"nextCursor":"n","serverTime":"t","changes":[]})"); }),
        "hasMore: ontbreekt");
    EXPECT_EQ(decodingError([&] { parsePushResponse("[]"); }), "verwacht object");
    EXPECT_EQ(decodingError([&] { parsePushResponse(R"({"accepted":[7],"conflicts":[],"errors":[]})"); }),
              "accepted[0]: verwacht object");
    EXPECT_EQ(decodingError([&] { parsePushRequest(R"({"deviceId":"d","changes":[]})"); }), "no error");
}

TEST(WireBodiesTest, IntegersMustBeWholeNumbers) {
    ordered_json json = toJson(PushAcceptedItem{SyncEntityType::customer, "k", 1});
    const auto revisionOf = [&](ordered_json value) {
        ordered_json body = {
            {"accepted", {json}}, {"conflicts", ordered_json::array()}, {"errors", ordered_json::array()}};
        body["accepted"][0]["serverRevision"] = std::move(value);
        return decodePushResponse(body).accepted.at(0).serverRevision;
    };
    EXPECT_EQ(revisionOf(12), 12);
    EXPECT_EQ(revisionOf(12.0), 12);
    EXPECT_EQ(revisionOf(-3), -3);
    EXPECT_EQ(revisionOf(std::uint64_t{9007199254740993}), 9007199254740993);  // exact past 2^53
    EXPECT_EQ(decodingError([&] { revisionOf(12.5); }), "accepted[0].serverRevision: verwacht integer");
    EXPECT_EQ(decodingError([&] { revisionOf(std::uint64_t{1} << 63); }),
              "accepted[0].serverRevision: verwacht integer");
    EXPECT_EQ(decodingError([&] { revisionOf(1e19); }), "accepted[0].serverRevision: verwacht integer");
}

TEST(WireBodiesTest, UnknownEntityTypeOrOperationFailsThePage) {
    ordered_json page = toJson(PullResponse{"n", "t", false, {sampleDelete(), sampleDelete()}});
    page["changes"][1]["entityType"] = "invoice";
    EXPECT_EQ(decodingError([&] { decodePullResponse(page); }),
              R"(changes[1].entityType: onbekende waarde "invoice")");
    page["changes"][1]["entityType"] = "contact";
    page["changes"][0]["operation"] = "Delete";
    EXPECT_EQ(decodingError([&] { decodePullResponse(page); }),
              R"(changes[0].operation: onbekende waarde "Delete")");

    ordered_json push = toJson(sampleChange());
    push["entityType"] = "contactPerson";  // the table's name is not the entity type's
    EXPECT_EQ(decodingError([&] { decodePushChange(push); }),
              R"(entityType: onbekende waarde "contactPerson")");
    push = toJson(sampleChange());
    push["changedFields"] = {"a", 1};
    EXPECT_EQ(decodingError([&] { decodePushChange(push); }), "changedFields[1]: verwacht string");
}

}  // namespace
}  // namespace zelvorin
