#include "hardware/accessory/AccessoryParser.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

namespace {

using Kind = AccessoryMessage::Kind;

struct Message
{
    Kind kind;
    qint64 value;
    int code;
    bool operator==(const Message& o) const { return kind == o.kind && value == o.value && code == o.code; }
};

void PrintTo(const Message& m, std::ostream* out)
{
    *out << "{kind " << int(m.kind) << ", value " << m.value << ", code " << m.code << "}";
}

std::vector<Message> parse(const std::string& text)
{
    AccessoryParser parser;
    std::vector<Message> messages;
    for (char c : text) {
        const AccessoryMessage m = parser.feed(c);
        if (m.kind != Kind::None)
            messages.push_back({m.kind, m.value, m.code});
    }
    return messages;
}

Message rotor(qint64 steps)
{
    return {Kind::Rotor, steps, 0};
}

} // namespace

TEST(AccessoryParser, MessagesAsTheyTravel)
{
    struct Case
    {
        std::string text;
        std::vector<Message> messages;
    };
    const Case cases[] = {
        {"<R180>\r", {rotor(180)}},
        {"<R0>\r", {rotor(0)}},
        {"<F145500000;>", {{Kind::Frequency, 145500000, 0}}},
        {"<S-1000>\n", {{Kind::Step, -1000, 0}}},
        {"<S10-00>\n", {{Kind::Step, -1000, 0}}},
        {"<S250>\n", {{Kind::Step, 250, 0}}},
        {"<I3:75>\n", {{Kind::Indicator, 75, 3}}},
        {"<I3>\n", {{Kind::Indicator, 0, 3}}},
        // Characters outside the grammar are skipped where they stand.
        {"<QR180>\r", {rotor(180)}},
        {"<R1x8y0>\r", {rotor(180)}},
        {"<F1;2>", {{Kind::Frequency, 1, 0}}},
        {"<F145>500000;>", {{Kind::Frequency, 145500000, 0}}},
        {"R180>\r>>", {}},
        // Committed only by the character after '>' (an F message by its '>').
        {"<R180>", {}},
        {"<S5>", {}},
        {"<F145500000>", {}},
        {"<F145500000;", {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(parse(c.text), c.messages) << c.text;
}

TEST(AccessoryParser, ALessThanSignStartsTheNextMessage)
{
    struct Case
    {
        std::string text;
        std::vector<Message> messages;
    };
    const Case cases[] = {
        // A complete message is committed by the '<' that follows it.
        {"<R1><R2>\r", {rotor(1), rotor(2)}},
        {"<S-5><I1:2><R3>\n", {{Kind::Step, -5, 0}, {Kind::Indicator, 2, 1}, rotor(3)}},
        // An incomplete one is dropped; its digits never reach the next.
        {"<F145500000<R90>\r", {rotor(90)}},
        {"<F145500000><S100>\n", {{Kind::Step, 100, 0}}},
        {"<R12<I1:2>\n", {{Kind::Indicator, 2, 1}}},
        {"<I7:<R4>\r", {rotor(4)}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(parse(c.text), c.messages) << c.text;
}

TEST(AccessoryParser, NumbersTooLongDropTheirMessage)
{
    struct Case
    {
        std::string text;
        std::vector<Message> messages;
    };
    const Case cases[] = {
        {"<R999999999>\r", {rotor(999999999)}},
        {"<R1000000000>\r", {{Kind::Dropped, 0, 0}}},
        {"<R0000000000000180>\r", {rotor(180)}},
        {"<S-2147483648>\n", {{Kind::Dropped, 0, 0}}},
        {"<I1234567890:1>\n", {{Kind::Dropped, 0, 0}}},
        {"<I1:1234567890>\n", {{Kind::Dropped, 0, 0}}},
        {"<F999999999999999999;>", {{Kind::Frequency, 999999999999999999, 0}}},
        {"<F1000000000000000000;>", {{Kind::Dropped, 0, 0}}},
        // After a drop the parser waits for the next message.
        {"<R1000000000>\r<R5>\r", {{Kind::Dropped, 0, 0}, rotor(5)}},
        {"<R" + std::string(10000, '9') + ">\r<R6>\r", {{Kind::Dropped, 0, 0}, rotor(6)}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(parse(c.text), c.messages) << c.text.substr(0, 40);
}
