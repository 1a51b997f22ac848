#include "views/keys.h"

#include "rehearsal/json.h"
#include "scene/scene.h"

namespace sim {

namespace {

constexpr KeyBlock pad = KeyBlock::pad;
constexpr KeyBlock beside = KeyBlock::beside;

constexpr DirectorKey Key(const char* label, const char* name, int code, KeyPlace place,
                          const char* mode0, const char* mode1, const char* mode2) {
  return {label, name, code, -1, place, false, {mode0, mode1, mode2}};
}

constexpr DirectorKey PedKey(const char* label, const char* name, int code, KeyPlace place,
                             const char* mode0, const char* mode1, const char* mode2) {
  DirectorKey key = Key(label, name, code, place, mode0, mode1, mode2);
  key.needsPed = true;
  return key;
}

// A key that does the same in every mode; `iniLine` for the two that ped.ini can move.
constexpr DirectorKey Every(const char* label, const char* name, int code, KeyPlace place,
                            const char* action, int iniLine = -1) {
  DirectorKey key = Key(label, name, code, place, action, action, action);
  key.iniLine = iniLine;
  return key;
}

// Num Lock and Enter complete the pad's picture; the director does not use them.
constexpr DirectorKey Unused(const char* label, KeyPlace place) {
  return {label, nullptr, 0, -1, place, false, {}};
}

const DirectorKey kKeys[] = {
    Unused("Num", {pad, 0, 0, 1, 1}),
    Every("/", "Num /", 111, {pad, 1, 0, 1, 1}, "previous edit screen (0–255)"),
    Every("*", "Num *", 106, {pad, 2, 0, 1, 1}, "next edit screen (0–255)"),
    Every("−", "Num −", 109, {pad, 3, 0, 1, 1}, "previous ped slot (0–254)"),
    Key("7", "Num 7", 103, {pad, 0, 1, 1, 1}, "save the car you are in", "sound the horn",
        "fire explosion here (explosion id)"),
    Key("8", "Num 8", 104, {pad, 1, 1, 1, 1}, "ped fights you", "fight the target ped",
        "rocket explosion here"),
    Key("9", "Num 9", 105, {pad, 2, 1, 1, 1}, "ped gets into the saved car as driver",
        "get into your car as driver", "grenade explosion here"),
    Every("+", "Num +", 107, {pad, 3, 1, 1, 2}, "next ped slot (0–254)"),
    PedKey("4", "Num 4", 100, {pad, 0, 2, 1, 1}, "ped takes your weapon", "swap to your weapon",
           "look at the target ped"),
    PedKey("5", "Num 5", 101, {pad, 1, 2, 1, 1}, "ped raises its hands", "raise hands",
           "look at this spot"),
    PedKey("6", "Num 6", 102, {pad, 2, 2, 1, 1}, "ped gets into the saved car as passenger",
           "get into your car as passenger (seat)", "look at your car"),
    Key("1", "Num 1", 97, {pad, 0, 3, 1, 1},
        "create a ped of that model in the slot, where you stand", "use the phone",
        "aim at this spot"),
    Key("2", "Num 2", 98, {pad, 1, 3, 1, 1}, "save this spot for the slot", "stop using the phone",
        "aim at the target ped"),
    PedKey("3", "Num 3", 99, {pad, 2, 3, 1, 1}, "ped walks (or drives) to the slot's saved spot",
           "go to this spot", "blow up the car you are in"),
    Unused("Ent", {pad, 3, 3, 1, 2}),
    PedKey("0", "Num 0", 96, {pad, 0, 4, 2, 1}, "ped leaves its car", "leave the car",
           "fire its weapon"),
    PedKey(".", "Num .", 110, {pad, 2, 4, 1, 1}, "delete the ped", "die", "catch fire"),
    Key("\\", "\\ (backslash)", 220, {beside, 0, 0, 1, 1}, "capture the model of a ped near you",
        "play the film", "play the film"),
    Key("PgUp", "Page Up", 33, {beside, 1, 0, 1, 1}, nullptr,
        "next passenger seat of the cue (0–3)", "next explosion id (0–31)"),
    Key("PgDn", "Page Down", 34, {beside, 2, 0, 1, 1}, nullptr,
        "previous passenger seat of the cue", "previous explosion id"),
    Key("−", "− (main keyboard)", 189, {beside, 0, 1, 1, 1}, nullptr,
        "screen a second shorter (at least 1 s)", "previous target ped"),
    Key("=", "= (main keyboard)", 187, {beside, 1, 1, 1, 1}, nullptr, "screen a second longer",
        "next target ped (−1 is you, 0–254 a slot)"),
    Every("On/off", "Pause", kDefaultOnOffKey, {beside, 0, 2, 3, 1}, "Zenthar off / on", 0),
    Every("Mode", "Scroll Lock", kDefaultChangeModeKey, {beside, 0, 3, 3, 1}, "next mode", 1),
};

}  // namespace

std::span<const DirectorKey> DirectorKeys() {
  return kKeys;
}

std::string KeyTableJson() {
  auto text = [](const char* s) { return s == nullptr ? std::string("null") : JsonString(s); };
  std::string out = "[";
  for (const DirectorKey& key : kKeys) {
    const KeyPlace& at = key.place;
    out += std::string(out.size() > 1 ? ",\n" : "") + "{\"label\":" + text(key.label) +
           ",\"name\":" + text(key.name) + ",\"code\":" + std::to_string(key.code) +
           ",\"ini\":" + std::to_string(key.iniLine) + ",\"block\":\"" +
           (at.block == KeyBlock::pad ? "pad" : "beside") + "\",\"at\":[" +
           std::to_string(at.column) + "," + std::to_string(at.row) + "," +
           std::to_string(at.width) + "," + std::to_string(at.height) +
           "],\"ped\":" + (key.needsPed ? "true" : "false") + ",\"modes\":[" + text(key.modes[0]) +
           "," + text(key.modes[1]) + "," + text(key.modes[2]) + "]}";
  }
  return out + "]";
}

}  // namespace sim
