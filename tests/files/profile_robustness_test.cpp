// Damaged and hostile profiles: no crash, no hang, and a load that fails
// leaves the table as it was.
#include "files/Profile.h"
#include "files/Xml.h"

#include "ProfileTestSupport.h"

#include <chrono>
#include <cstdio>
#include <random>

namespace {

const char kMarker[] = "MVMARKER-91c3e7";

struct Tally {
    int loads = 0;
    int accepted = 0;
    int refused = 0;
    int violations = 0;
    std::string firstViolation;
};

// Loads the bytes into a patterned table and checks what must hold either way.
int LoadChecked(const std::string& bytes, const std::string& name, Tally& tally) {
    RecordedMessages().clear();
    RecordArray table;
    FillPattern(table, 77);
    const RecordArray before = table;
    WriteBytes(L"fuzz.mvf", bytes);
    const int result = ReadProfileFile(L"fuzz.mvf", table) == ProfileStatus::Accepted ? 1 : 0;
    ++tally.loads;
    std::string problem;
    if (result == 0) {
        ++tally.refused;
        if (!SameBytes(before, table)) problem = "refused but records changed";
    } else {
        ++tally.accepted;
        if (!SameBytes(AddressedRecords(table), table)) problem = "loaded a record that addresses another slot";
    }
    if (!RecordedMessages().empty()) problem = "showed a message";
    const std::string tableBytes(reinterpret_cast<const char*>(table.data()), 180);
    if (tableBytes.find("MVMARKER") != std::string::npos) problem = "marker reached the table";
    if (!problem.empty()) {
        if (tally.violations++ == 0) tally.firstViolation = name + ": " + problem;
    }
    return result;
}

std::string Utf8Profile() {
    return ProfileText("1", HundredPlus, true, "<?xml version=\"1.0\" encoding=\"UTF-8\"?>");
}

// Start and end of a random element of the given base name in the text.
bool PickElement(const std::string& text, const char* base, int count, std::mt19937& rng, size_t& from,
                 size_t& to) {
    const std::string name = base + std::to_string(rng() % count);
    // Byte elements repeat in every button: take a random occurrence.
    std::vector<size_t> starts;
    for (size_t p = text.find("<" + name + ">"); p != std::string::npos; p = text.find("<" + name + ">", p + 1))
        starts.push_back(p);
    if (starts.empty()) return false;
    from = starts[rng() % starts.size()];
    const size_t close = text.find("</" + name + ">", from);
    if (close == std::string::npos) return false;
    to = close + name.size() + 3;
    return true;
}

std::string Mutate(const std::string& utf8, const std::string& utf16, int kind, std::mt19937& rng) {
    const bool wide = rng() % 2 == 0;
    std::string s = wide && kind <= 1 ? utf16 : utf8;
    switch (kind) {
    case 0: {  // byte flips
        const int flips = 1 + rng() % 4;
        for (int k = 0; k < flips; ++k) s[rng() % s.size()] ^= static_cast<char>(1 + rng() % 255);
        break;
    }
    case 1:  // truncation
        s.resize(rng() % s.size());
        break;
    case 2: {  // duplicated element
        size_t from, to;
        if (PickElement(s, rng() % 3 ? "Byte" : "Button", rng() % 3 ? kRecordSize : kRecordCount, rng, from, to))
            s.insert(rng() % 2 ? to : from, s.substr(from, to - from));
        break;
    }
    case 3: {  // removed element
        size_t from, to;
        const int pick = rng() % 4;
        const char* base = pick == 0 ? "Button" : pick == 1 ? "Version" : "Byte";
        if (PickElement(s, base, pick == 0 ? kRecordCount : pick == 1 ? 1 : kRecordSize, rng, from, to)) {
            if (pick == 1) from = s.find("<Version>"), to = s.find("</Version>") + 10;
            s.erase(from, to - from);
        }
        break;
    }
    case 4: {  // huge or odd numbers in a byte or the version
        std::string number = rng() % 2 ? "-" : "";
        const int digits = 1 + rng() % 60;
        for (int k = 0; k < digits; ++k) number.push_back(static_cast<char>('0' + rng() % 10));
        if (rng() % 5 == 0) {
            const size_t v = s.find("<Version>") + 9;
            s.replace(v, s.find("</Version>") - v, number);
        } else {
            size_t from, to;
            if (PickElement(s, "Byte", kRecordSize, rng, from, to)) {
                const size_t open = s.find('>', from) + 1;
                s.replace(open, s.rfind('<', to - 1) - open, number);
            }
        }
        break;
    }
    case 5: {  // deep nesting inside a byte
        size_t from, to;
        if (PickElement(s, "Byte", kRecordSize, rng, from, to)) {
            const int depth = 1 + rng() % 400;
            const size_t open = s.find('>', from) + 1;
            const size_t close = s.rfind('<', to - 1);
            std::string inner;
            for (int k = 0; k < depth; ++k) inner += "<n>";
            inner += s.substr(open, close - open);
            for (int k = 0; k < depth; ++k) inner += "</n>";
            s.replace(open, close - open, inner);
        }
        break;
    }
    default: {  // markup characters dropped in
        const char junk[] = "<>&;/!?\"'=#%[]";
        const int count = 1 + rng() % 3;
        for (int k = 0; k < count; ++k) s.insert(s.begin() + rng() % s.size(), junk[rng() % (sizeof junk - 1)]);
        break;
    }
    }
    return s;
}

class ProfileRobustnessTest : public ProfileTest {};

TEST_F(ProfileRobustnessTest, MutatedProfilesNeverCorruptTheTable) {
    RecordArray source;
    FillPattern(source, 0);
    ASSERT_EQ(1, WriteProfileFile(L"valid.mvf", source));
    const std::string utf16 = ReadBytes(L"valid.mvf");
    const std::string utf8 = Utf8Profile();

    constexpr int kKinds = 7;
    constexpr int kRounds = 3000;
    std::mt19937 rng(20261207);
    Tally tally;
    const auto start = std::chrono::steady_clock::now();
    for (int round = 0; round < kRounds; ++round) {
        const int kind = round % kKinds;
        LoadChecked(Mutate(utf8, utf16, kind, rng), "mutation " + std::to_string(round) + " kind " +
                                                        std::to_string(kind), tally);
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("robustness: %d mutated profiles loaded in %.2f s (%d accepted, %d refused)\n", tally.loads,
                seconds, tally.accepted, tally.refused);
    EXPECT_EQ(0, tally.violations) << tally.firstViolation;
    EXPECT_GT(tally.accepted, kRounds / 10) << "the mutations should not all be fatal";
    EXPECT_GT(tally.refused, kRounds / 10) << "the mutations should not all be harmless";
}

TEST_F(ProfileRobustnessTest, ClassicAttacksAreRefused) {
    WriteBytes(L"marker.txt", kMarker);
    wchar_t full[MAX_PATH];
    ASSERT_NE(0u, GetFullPathNameW(L"marker.txt", MAX_PATH, full, nullptr));
    std::string absolute;
    for (const wchar_t* p = full; *p; ++p) absolute.push_back(*p == L'\\' ? '/' : static_cast<char>(*p));

    auto withEntity = [](const std::string& dtd, const std::string& use) {
        return "<?xml version=\"1.0\"?><!DOCTYPE Mirvostan [" + dtd + "]>" +
               ProfileText(use.c_str(), [&](int i, int j) { return i == 0 && j == 0 ? use : HundredPlus(i, j); });
    };
    std::string laughs = "<!ENTITY l0 \"lol\">";
    for (int k = 1; k <= 9; ++k) {
        laughs += "<!ENTITY l" + std::to_string(k) + " \"";
        for (int n = 0; n < 10; ++n) laughs += "&l" + std::to_string(k - 1) + ";";
        laughs += "\">";
    }
    std::string nesting = "<Mirvostan><Version>1</Version><MouseFun><Button0><Byte0>";
    for (int k = 0; k < 10000; ++k) nesting += "<d>";
    nesting += "7";
    for (int k = 0; k < 10000; ++k) nesting += "</d>";
    nesting += "</Byte0></Button0></MouseFun></Mirvostan>";
    std::string big = Utf8Profile();
    big.insert(big.find("<MouseFun>"), "<!--" + std::string(2 * 1024 * 1024, ' ') + "-->");

    const std::string external = withEntity("<!ENTITY x SYSTEM \"marker.txt\">", "&x;");
    struct Row { const char* name; std::string bytes; bool mustRefuse; };
    const Row rows[] = {
        {"external entity, relative", external, true},
        {"external entity, file url", withEntity("<!ENTITY x SYSTEM \"file:///" + absolute + "\">", "&x;"), true},
        {"external entity, utf-16", Utf16Le(external, true), true},
        {"external entity, utf-16 no bom", Utf16Le(external, false), true},
        {"external entity, utf-16be", Utf16Be(external, true), true},
        {"parameter entity", withEntity("<!ENTITY % p SYSTEM \"marker.txt\"> %p;", "1"), true},
        {"external subset", "<!DOCTYPE Mirvostan SYSTEM \"marker.txt\">" + Utf8Profile(), true},
        {"billion laughs", withEntity(laughs, "&l9;"), true},
        {"10000 levels of nesting", nesting, false},
        {"2 MiB profile", big, true},
        {"2 MiB of zeros", std::string(2 * 1024 * 1024, '\0'), true},
    };
    Tally tally;
    const auto start = std::chrono::steady_clock::now();
    for (const Row& r : rows) {
        const int result = LoadChecked(r.bytes, r.name, tally);
        if (r.mustRefuse) {
            EXPECT_EQ(0, result) << r.name;
        }
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("robustness: %d attack files in %.2f s (%d accepted, %d refused)\n", tally.loads, seconds,
                tally.accepted, tally.refused);
    EXPECT_EQ(0, tally.violations) << tally.firstViolation;
}

}  // namespace
