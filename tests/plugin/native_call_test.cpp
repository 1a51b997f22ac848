// The record every native is called with, as the host sees it: the slots, their encodings, the
// argument count, the result, the vector fix-ups, and what a name the host lacks yields. Each
// test native copies the record it is handed; out variables start at 0xDEADBEEF so that an
// output nobody wrote shows.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "director/commands.h"
#include "natives/invoke.h"
#include "natives/natives.h"
#include "scene/scene.h"
#include "tessel/host.h"

namespace {

constexpr std::uint32_t kSentinel = 0xDEADBEEFu;

float SentinelFloat() {
  float f;
  std::memcpy(&f, &kSentinel, sizeof f);
  return f;
}

std::uint32_t Bits(float f) {
  std::uint32_t u;
  std::memcpy(&u, &f, sizeof u);
  return u;
}

// What a test native does besides noting the record: write a result, write outputs, and so on.
using Action = void (*)(NativeCallContext* context);

struct Probe {
  std::string name;
  int calls = 0;
  NativeCallContext seen{};               // the record as it arrived
  const NativeCallContext* at = nullptr;  // where it lay
  Action act = nullptr;
};

constexpr int kProbes = 8;
Probe probes[kProbes];

template <int N>
void ProbeEntry(NativeCallContext* context) {
  Probe& probe = probes[N];
  ++probe.calls;
  std::memcpy(&probe.seen, context, sizeof *context);
  probe.at = context;
  if (probe.act != nullptr) probe.act(context);
}

const Game::NativeHandler kProbeEntries[kProbes] = {ProbeEntry<0>, ProbeEntry<1>, ProbeEntry<2>,
                                                    ProbeEntry<3>, ProbeEntry<4>, ProbeEntry<5>,
                                                    ProbeEntry<6>, ProbeEntry<7>};

// Slot contents, printed as the bytes the host reads.
std::string Hex(const void* data, std::size_t size) {
  std::string out;
  const auto* bytes = static_cast<const unsigned char*>(data);
  for (std::size_t i = 0; i < size; ++i) {
    char b[4];
    std::snprintf(b, sizeof b, "%s%02X", i ? " " : "", bytes[i]);
    out += b;
  }
  return out;
}

std::string SlotBytes(const NativeCallContext& c, unsigned slot) {
  return Hex(&c.slots[slot], sizeof c.slots[slot]);
}

// The expected bytes of a 32-bit value in a slot: its four bytes, the rest of the slot zero.
std::string Word(std::uint32_t value) {
  std::array<unsigned char, sizeof(std::uintptr_t)> bytes{};
  std::memcpy(bytes.data(), &value, sizeof value);
  return Hex(bytes.data(), bytes.size());
}
std::string Word(std::int32_t value) {
  return Word(static_cast<std::uint32_t>(value));
}
std::string Word(float value) {
  return Word(Bits(value));
}
std::string Word(const void* address) {
  const auto value = reinterpret_cast<std::uintptr_t>(address);
  return Hex(&value, sizeof value);
}

// Fills the stack below the caller with junk, so that a record laid there starts dirty and a
// byte the caller forgot to write shows.
[[gnu::noinline]] void DirtyStack() {
  volatile unsigned char junk[8192];
  for (unsigned i = 0; i < sizeof junk; ++i) junk[i] = 0xA5;
}

class NativeCall : public ::testing::Test {
 protected:
  void SetUp() override {
    tessel::ClearNatives();
    for (Probe& probe : probes) probe = Probe{};
    savedModel_ = capturedModel;
  }
  void TearDown() override {
    tessel::ClearNatives();
    capturedModel = savedModel_;
  }

  // Registers a test native under `name`; returns its probe.
  Probe& Answer(const char* name, Action act = nullptr) {
    for (int i = 0; i < kProbes; ++i) {
      if (probes[i].name.empty()) {
        probes[i].name = name;
        probes[i].act = act;
        EXPECT_TRUE(tessel::RegisterNative(name, kProbeEntries[i])) << name;
        return probes[i];
      }
    }
    ADD_FAILURE() << "out of probes";
    return probes[0];
  }

  // Checks the record's header, then its slots against `expected`, in order.
  static void ExpectRecord(const Probe& probe, const std::vector<std::string>& expected) {
    SCOPED_TRACE(probe.name);
    ASSERT_EQ(probe.calls, 1) << "calls of " << probe.name;
    const NativeCallContext& c = probe.seen;
    EXPECT_EQ(c.argCount, expected.size()) << "argCount";
    EXPECT_EQ(c.resultPtr, static_cast<const void*>(probe.at->slots)) << "resultPtr is &slots";
    EXPECT_EQ(c.argsPtr, static_cast<const void*>(probe.at->slots)) << "argsPtr is &slots";
    EXPECT_EQ(c.fixupCount, 0u) << "fixupCount on entry";
    for (unsigned i = 0; i < expected.size(); ++i) {
      EXPECT_EQ(SlotBytes(c, i), expected[i]) << "slot " << i << " (actual vs expected bytes)";
    }
  }

  std::int32_t savedModel_ = 0;
};

void Return7(NativeCallContext* c) {
  const std::int32_t seven = 7;
  std::memcpy(&c->slots[0], &seven, sizeof seven);
}

TEST_F(NativeCall, ANoArgumentCallReadsItsResultFromSlotZero) {
  Probe& probe = Answer("GET_PLAYER_ID", Return7);
  DirtyStack();
  EXPECT_EQ(GET_PLAYER_ID(), 7);
  ExpectRecord(probe, {});
}

TEST_F(NativeCall, TheLargestCallFillsTenSlots) {
  Probe& probe = Answer("TASK_CAR_MISSION_COORS_TARGET");
  DirtyStack();
  TASK_CAR_MISSION_COORS_TARGET(101, 202, 1.5f, -2.25f, 1e-3f, 60.0f);
  ExpectRecord(probe, {Word(101), Word(202), Word(1.5f), Word(-2.25f), Word(1e-3f), Word(4),
                       Word(60.0f), Word(1), Word(5), Word(10)});
  EXPECT_EQ(SlotBytes(probe.seen, 6).substr(0, 11), "00 00 70 42")
      << "60.0 as a 32-bit float, never a double";
}

TEST_F(NativeCall, BoolSlotsHoldOneByteInAnOtherwiseZeroSlot) {
  Probe& phone = Answer("TASK_USE_MOBILE_PHONE");
  DirtyStack();
  TASK_USE_MOBILE_PHONE(5, true);
  ExpectRecord(phone, {Word(5), Word(1)});
  EXPECT_EQ(SlotBytes(phone.seen, 1).substr(0, 11), "01 00 00 00");
  phone.calls = 0;
  DirtyStack();
  TASK_USE_MOBILE_PHONE(5, false);
  ExpectRecord(phone, {Word(5), Word(0)});

  Probe& explode = Answer("EXPLODE_CAR");
  DirtyStack();
  EXPLODE_CAR(9);
  ExpectRecord(explode, {Word(9), Word(1), Word(0)});

  Probe& give = Answer("GIVE_WEAPON_TO_CHAR");
  DirtyStack();
  GIVE_WEAPON_TO_CHAR(5, 12);
  ExpectRecord(give, {Word(5), Word(12), Word(900), Word(0)});
}

TEST_F(NativeCall, NegativeOneIsAllOnesAndSeatsFollowIt) {
  Probe& passenger = Answer("TASK_ENTER_CAR_AS_PASSENGER");
  DirtyStack();
  TASK_ENTER_CAR_AS_PASSENGER(5, 9, 3);
  ExpectRecord(passenger, {Word(5), Word(9), Word(-1), Word(3)});
  EXPECT_EQ(SlotBytes(passenger.seen, 2).substr(0, 11), "FF FF FF FF");

  Probe& driver = Answer("TASK_ENTER_CAR_AS_DRIVER");
  DirtyStack();
  TASK_ENTER_CAR_AS_DRIVER(5, 9);
  ExpectRecord(driver, {Word(5), Word(9), Word(-1)});
}

TEST_F(NativeCall, StringsAreTheCallersOwnText) {
  Probe& print = Answer("PRINT_STRING_WITH_LITERAL_STRING_NOW");
  const char text[] = "Screen mode";
  ShowScreenMessage(text);
  ExpectRecord(
      print, {SlotBytes(print.seen, 0), Word(static_cast<const void*>(text)), Word(2000), Word(0)});
  EXPECT_STREQ(reinterpret_cast<const char*>(print.seen.slots[0]), "STRING");
}

// Fix-ups: the host leaves vectors in the temporaries and their destinations in the targets;
// the caller copies x, y, z of each, from the last entry to the first, and leaves the count 0.
float fixupDestination[6];

void FillTwoFixups(NativeCallContext* c) {
  // Target 1 overlaps target 0 by two floats, so the order of the copies shows in the result.
  c->fixupTargets[0] = &fixupDestination[0];
  c->fixupTemps[0] = {1.0f, 2.0f, 3.0f, 99.0f};
  c->fixupTargets[1] = &fixupDestination[1];
  c->fixupTemps[1] = {4.0f, 5.0f, 6.0f, 98.0f};
  c->fixupCount = 2;
}

NativeCallContext FreshRecord() {
  NativeCallContext c;
  std::memset(&c, 0, sizeof c);
  c.resultPtr = c.slots;
  c.argsPtr = c.slots;
  return c;
}

TEST_F(NativeCall, FixupsRunFromTheLastEntryToTheFirst) {
  Answer("ZENTHAR_TEST_FIXUP", FillTwoFixups);
  for (float& f : fixupDestination) f = SentinelFloat();
  NativeCallContext c = FreshRecord();
  native_slot::Call("ZENTHAR_TEST_FIXUP", c, native_slot::Result::integer);
  const float expected[6] = {1.0f, 2.0f, 3.0f, 6.0f, SentinelFloat(), SentinelFloat()};
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(Bits(fixupDestination[i]), Bits(expected[i]))
        << "float " << i << ": " << fixupDestination[i] << ", expected " << expected[i]
        << " (entry 1 first, then entry 0; the fourth float of a temporary never copied)";
  }
  EXPECT_EQ(c.fixupCount, 0u) << "the count ends at 0";

  // The same through a typed call: the fix-ups arrive whatever the native's own outputs.
  for (float& f : fixupDestination) f = SentinelFloat();
  tessel::ClearNatives();
  for (Probe& probe : probes) probe = Probe{};
  Answer("GET_CHAR_COORDINATES", FillTwoFixups);
  float x = SentinelFloat(), y = SentinelFloat(), z = SentinelFloat();
  GET_CHAR_COORDINATES(5, &x, &y, &z);
  EXPECT_EQ(fixupDestination[3], 6.0f);
  EXPECT_EQ(fixupDestination[0], 1.0f);
  EXPECT_EQ(Bits(x), kSentinel) << "the native wrote no plain output";
}

// A host that claims more fix-ups than the record holds: only the four entries are delivered
// and nothing outside the record is read as a destination.
float overDestination[4][3];

void ClaimTooManyFixups(NativeCallContext* c) {
  for (unsigned i = 0; i < kNativeFixups; ++i) {
    c->fixupTargets[i] = overDestination[i];
    c->fixupTemps[i] = {10.0f * i + 1, 10.0f * i + 2, 10.0f * i + 3, 0.0f};
  }
  c->fixupCount = 1000;
}

TEST_F(NativeCall, AFixupCountAboveFourIsClamped) {
  Answer("ZENTHAR_TEST_FIXUP", ClaimTooManyFixups);
  struct Guarded {
    NativeCallContext record;
    unsigned char guard[256];
  } g;
  std::memset(&g, 0xA5, sizeof g);
  g.record = FreshRecord();
  native_slot::Call("ZENTHAR_TEST_FIXUP", g.record, native_slot::Result::integer);
  for (unsigned i = 0; i < kNativeFixups; ++i) {
    for (unsigned k = 0; k < 3; ++k) {
      EXPECT_EQ(overDestination[i][k], 10.0f * i + k + 1) << "entry " << i << " float " << k;
    }
  }
  EXPECT_EQ(g.record.fixupCount, 0u);
  for (unsigned char byte : g.guard) ASSERT_EQ(byte, 0xA5) << "memory past the record changed";
}

TEST_F(NativeCall, AMissingNativeYieldsZeroAndTouchesNothing) {
  Probe& other = Answer("TASK_DIE");  // present, must not be called in its place
  DirtyStack();
  EXPECT_FALSE(DOES_CHAR_EXIST(0x01010101)) << "a missing DOES_CHAR_EXIST never reads as true";
  EXPECT_FALSE(IS_CHAR_IN_ANY_CAR(1));
  EXPECT_FALSE(DOES_VEHICLE_EXIST(0x7F));
  EXPECT_FALSE(IS_THIS_MODEL_A_PED(2001));
  EXPECT_EQ(CONVERT_INT_TO_PLAYERINDEX(5), 0) << "not the first argument";
  EXPECT_EQ(START_CHAR_FIRE(5), 0);
  EXPECT_EQ(GET_PLAYER_ID(), 0) << "a missing no-argument native gives a settled 0";
  EXPECT_EQ(CallWithOneValue("NO_SUCH_NATIVE", -1), 0);

  float x = SentinelFloat(), y = SentinelFloat(), z = SentinelFloat();
  GET_CHAR_COORDINATES(5, &x, &y, &z);
  EXPECT_EQ(Bits(x), kSentinel);
  EXPECT_EQ(Bits(y), kSentinel);
  EXPECT_EQ(Bits(z), kSentinel);
  std::int32_t weapon = static_cast<std::int32_t>(kSentinel);
  GET_CURRENT_CHAR_WEAPON(5, &weapon);
  EXPECT_EQ(static_cast<std::uint32_t>(weapon), kSentinel);
  PedHandle ped = static_cast<PedHandle>(kSentinel);
  EXPECT_FALSE(GET_CLOSEST_CHAR(1, 2, 3, 10, &ped));
  EXPECT_EQ(static_cast<std::uint32_t>(ped), kSentinel);
  CREATE_CHAR(2001, 1, 2, 3, &ped);
  EXPECT_EQ(static_cast<std::uint32_t>(ped), kSentinel);
  DELETE_CHAR(&ped);
  EXPECT_EQ(static_cast<std::uint32_t>(ped), kSentinel);
  capturedModel = static_cast<std::int32_t>(kSentinel);
  GET_CHAR_MODEL(5);
  EXPECT_EQ(static_cast<std::uint32_t>(capturedModel), kSentinel);

  EXPECT_EQ(other.calls, 0) << "another native was called";
}

void WriteNothing(NativeCallContext*) {}

void PlayerIdFour(NativeCallContext* c) {
  c->slots[0] = 4;
}
void IndexPlusTen(NativeCallContext* c) {
  const std::int32_t id = static_cast<std::int32_t>(c->slots[0]);
  c->slots[0] = static_cast<std::uintptr_t>(id + 10);
}
void WriteHandle42(NativeCallContext* c) {
  *reinterpret_cast<std::int32_t*>(c->slots[1]) = 42;
}

TEST_F(NativeCall, PlayerPedIsZeroWhenNothingIsWritten) {
  Answer("GET_PLAYER_ID", PlayerIdFour);
  Answer("CONVERT_INT_TO_PLAYERINDEX", IndexPlusTen);
  Probe& playerChar = Answer("GET_PLAYER_CHAR", WriteNothing);
  DirtyStack();
  EXPECT_EQ(PlayerPed(), 0);
  EXPECT_EQ(static_cast<std::int32_t>(playerChar.seen.slots[0]), 14)
      << "GET_PLAYER_CHAR gets the index that CONVERT_INT_TO_PLAYERINDEX gave for the id";
  EXPECT_EQ(playerChar.seen.argCount, 2u);
  playerChar.act = WriteHandle42;
  EXPECT_EQ(PlayerPed(), 42);
}

TEST_F(NativeCall, PlayerPedIsZeroWhenTheNativesAreMissing) {
  DirtyStack();
  EXPECT_EQ(PlayerPed(), 0);
  EXPECT_EQ(CarInUse(5), 0);
}

TEST_F(NativeCall, CarInUseIsZeroWhenNothingIsWritten) {
  Probe& probe = Answer("GET_CAR_CHAR_IS_USING", WriteNothing);
  DirtyStack();
  EXPECT_EQ(CarInUse(77), 0);
  EXPECT_EQ(static_cast<std::int32_t>(probe.seen.slots[0]), 77);
  probe.act = WriteHandle42;
  EXPECT_EQ(CarInUse(77), 42);
}

void WriteModel(NativeCallContext* c) {
  *reinterpret_cast<std::int32_t*>(c->slots[1]) = 2002;
}

TEST_F(NativeCall, GetCharModelAlwaysWritesCapturedModel) {
  Probe& probe = Answer("GET_CHAR_MODEL", WriteModel);
  capturedModel = static_cast<std::int32_t>(kSentinel);
  GET_CHAR_MODEL(123);
  ExpectRecord(probe, {Word(123), Word(static_cast<const void*>(&capturedModel))});
  EXPECT_EQ(capturedModel, 2002);
}

void ClearThroughSlotZero(NativeCallContext* c) {
  *reinterpret_cast<std::int32_t*>(c->slots[0]) = 0;
}

TEST_F(NativeCall, DeleteCharIsHandedTheSlotsEntry) {
  Probe& probe = Answer("DELETE_CHAR", ClearThroughSlotZero);
  const std::int32_t savedSlot = selectedPed;
  selectedPed = 7;
  pedHandle[7] = 1234;
  DeletePed();
  ExpectRecord(probe, {Word(static_cast<const void*>(&pedHandle[7]))});
  EXPECT_EQ(pedHandle[7], 0) << "the entry is what the native left";

  probe.calls = 0;
  probe.act = WriteNothing;
  pedHandle[7] = 1234;
  DeletePed();
  EXPECT_EQ(pedHandle[7], 1234) << "the plug-in does not clear the entry itself";
  pedHandle[7] = 0;
  selectedPed = savedSlot;
}

// Every typed operation against the host's argument list for its native: argument count, slot
// order, fixed values and encodings.
struct Row {
  const char* name;
  void (*call)();
  std::vector<std::string> slots;
};

std::int32_t outInt;
float outX, outY, outZ;
const char kText[] = "hello";

TEST_F(NativeCall, EveryOperationLaysItsArgumentsAsTheHostReadsThem) {
  const std::vector<Row> rows = {
      {"GET_PLAYER_ID", [] { GET_PLAYER_ID(); }, {}},
      {"CONVERT_INT_TO_PLAYERINDEX", [] { CONVERT_INT_TO_PLAYERINDEX(3); }, {Word(3)}},
      {"GET_PLAYER_CHAR", [] { GET_PLAYER_CHAR(3, &outInt); }, {Word(3), Word(&outInt)}},
      {"CREATE_CHAR",
       [] { CREATE_CHAR(2001, 1.5f, 2.5f, 3.5f, &outInt); },
       {Word(4), Word(2001), Word(1.5f), Word(2.5f), Word(3.5f), Word(&outInt), Word(1)}},
      {"DELETE_CHAR", [] { DELETE_CHAR(&outInt); }, {Word(&outInt)}},
      {"DOES_CHAR_EXIST", [] { DOES_CHAR_EXIST(-7); }, {Word(-7)}},
      {"IS_CHAR_IN_ANY_CAR", [] { IS_CHAR_IN_ANY_CAR(8); }, {Word(8)}},
      {"IS_THIS_MODEL_A_PED", [] { IS_THIS_MODEL_A_PED(2001); }, {Word(2001)}},
      {"GET_CHAR_MODEL", [] { GET_CHAR_MODEL(8); }, {Word(8), Word(&capturedModel)}},
      {"GET_CLOSEST_CHAR",
       [] { GET_CLOSEST_CHAR(1.5f, 2.5f, 3.5f, 10.0f, &outInt); },
       {Word(1.5f), Word(2.5f), Word(3.5f), Word(10.0f), Word(1), Word(1), Word(&outInt)}},
      {"GET_RANDOM_CHAR_IN_AREA_OFFSET_NO_SAVE",
       [] { GET_RANDOM_CHAR_IN_AREA_OFFSET_NO_SAVE(1, 2, 3, 4, 5, 6, &outInt); },
       {Word(1.0f), Word(2.0f), Word(3.0f), Word(4.0f), Word(5.0f), Word(6.0f), Word(&outInt)}},
      {"GET_CHAR_COORDINATES",
       [] { GET_CHAR_COORDINATES(8, &outX, &outY, &outZ); },
       {Word(8), Word(&outX), Word(&outY), Word(&outZ)}},
      {"GET_CURRENT_CHAR_WEAPON",
       [] { GET_CURRENT_CHAR_WEAPON(8, &outInt); },
       {Word(8), Word(&outInt)}},
      {"GIVE_WEAPON_TO_CHAR",
       [] { GIVE_WEAPON_TO_CHAR(8, 12); },
       {Word(8), Word(12), Word(900), Word(0)}},
      {"GET_CAR_CHAR_IS_USING",
       [] { GET_CAR_CHAR_IS_USING(8, &outInt); },
       {Word(8), Word(&outInt)}},
      {"DOES_VEHICLE_EXIST", [] { DOES_VEHICLE_EXIST(9); }, {Word(9)}},
      {"TASK_GO_STRAIGHT_TO_COORD",
       [] { TASK_GO_STRAIGHT_TO_COORD(8, 1.5f, 2.5f, 3.5f); },
       {Word(8), Word(1.5f), Word(2.5f), Word(3.5f), Word(2), Word(45000)}},
      {"TASK_CAR_MISSION_COORS_TARGET",
       [] { TASK_CAR_MISSION_COORS_TARGET(8, 9, 1.5f, 2.5f, 3.5f, 60.0f); },
       {Word(8), Word(9), Word(1.5f), Word(2.5f), Word(3.5f), Word(4), Word(60.0f), Word(1),
        Word(5), Word(10)}},
      {"TASK_ENTER_CAR_AS_DRIVER",
       [] { TASK_ENTER_CAR_AS_DRIVER(8, 9); },
       {Word(8), Word(9), Word(-1)}},
      {"TASK_ENTER_CAR_AS_PASSENGER",
       [] { TASK_ENTER_CAR_AS_PASSENGER(8, 9, 2); },
       {Word(8), Word(9), Word(-1), Word(2)}},
      {"TASK_OPEN_DRIVER_DOOR",
       [] { TASK_OPEN_DRIVER_DOOR(8, 9, 1); },
       {Word(8), Word(9), Word(1)}},
      {"TASK_OPEN_PASSENGER_DOOR",
       [] { TASK_OPEN_PASSENGER_DOOR(8, 9, 0, 1); },
       {Word(8), Word(9), Word(0), Word(1)}},
      {"TASK_LEAVE_ANY_CAR", [] { TASK_LEAVE_ANY_CAR(8); }, {Word(8)}},
      {"TASK_HANDS_UP", [] { TASK_HANDS_UP(8); }, {Word(8), Word(1)}},
      {"TASK_USE_MOBILE_PHONE", [] { TASK_USE_MOBILE_PHONE(8, true); }, {Word(8), Word(1)}},
      {"TASK_SWAP_WEAPON", [] { TASK_SWAP_WEAPON(8, 12); }, {Word(8), Word(12)}},
      {"TASK_COMBAT", [] { TASK_COMBAT(8, 1); }, {Word(8), Word(1)}},
      {"TASK_DIE", [] { TASK_DIE(8); }, {Word(8)}},
      {"TASK_AIM_GUN_AT_COORD",
       [] { TASK_AIM_GUN_AT_COORD(8, 1.5f, 2.5f, 3.5f); },
       {Word(8), Word(1.5f), Word(2.5f), Word(3.5f), Word(1)}},
      {"TASK_AIM_GUN_AT_CHAR", [] { TASK_AIM_GUN_AT_CHAR(8, 1); }, {Word(8), Word(1), Word(1)}},
      {"TASK_LOOK_AT_CHAR", [] { TASK_LOOK_AT_CHAR(8, 1); }, {Word(8), Word(1), Word(1), Word(0)}},
      {"TASK_LOOK_AT_COORD",
       [] { TASK_LOOK_AT_COORD(8, 1.5f, 2.5f, 3.5f, 1, 0); },
       {Word(8), Word(1.5f), Word(2.5f), Word(3.5f), Word(1), Word(0)}},
      {"TASK_LOOK_AT_VEHICLE",
       [] { TASK_LOOK_AT_VEHICLE(8, 9, 1, 0); },
       {Word(8), Word(9), Word(1), Word(0)}},
      {"FIRE_PED_WEAPON",
       [] { FIRE_PED_WEAPON(8, 0.0f, 0.0f, 0.0f); },
       {Word(8), Word(0.0f), Word(0.0f), Word(0.0f)}},
      {"START_CHAR_FIRE", [] { START_CHAR_FIRE(8); }, {Word(8)}},
      {"EXPLODE_CAR", [] { EXPLODE_CAR(9); }, {Word(9), Word(1), Word(0)}},
      {"SOUND_CAR_HORN", [] { SOUND_CAR_HORN(9); }, {Word(9), Word(1)}},
      {"ADD_EXPLOSION",
       [] { ADD_EXPLOSION(1.5f, 2.5f, 3.5f, 4, 5.0f, 0.0f); },
       {Word(1.5f), Word(2.5f), Word(3.5f), Word(4), Word(5.0f), Word(1), Word(0), Word(0.0f)}},
      {"PRINT_STRING_WITH_LITERAL_STRING_NOW",
       [] { PRINT_STRING_WITH_LITERAL_STRING_NOW(kText); },
       {"", Word(static_cast<const void*>(kText)), Word(2000), Word(0)}},
  };
  EXPECT_EQ(rows.size(), 39u);
  for (const Row& row : rows) {
    tessel::ClearNatives();
    for (Probe& probe : probes) probe = Probe{};
    Probe& probe = Answer(row.name);
    DirtyStack();
    row.call();
    std::vector<std::string> expected = row.slots;
    if (!expected.empty() && expected[0].empty()) expected[0] = SlotBytes(probe.seen, 0);
    ExpectRecord(probe, expected);
  }
}

}  // namespace
