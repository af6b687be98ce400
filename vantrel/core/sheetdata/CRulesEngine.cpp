#include "CRulesEngine.h"

#include <array>
#include <string_view>

#include "CDataBuilder.h"
#include "platform/Paths.h"
#include "OptionGroups.h"
#include "platform/Error.h"
#include "platform/Text.h"

namespace vantrel {

namespace {

using Sheet = SheetField;
using Field = SetupField;

// Value rules: one sheet field from one setup field.

// Copied unchanged.
struct CopyRule {
    Sheet field;
    Field source;
};
constexpr CopyRule kCopied[] = {
    {Sheet::DriverName, Field::DriverName},
    {Sheet::TrackCity, Field::TrackCity},
    {Sheet::RaceEvent, Field::EventName},
    {Sheet::RaceDate, Field::EventDate},
    {Sheet::FrontCamber, Field::FrontCamber},
    {Sheet::FrontWheelBase, Field::FrontWheelBase},
    {Sheet::FrontKickupF, Field::FrontKickupF},
    {Sheet::FrontKickupR, Field::FrontKickupR},
    {Sheet::FrontShockPiston, Field::FrontShockPiston},
    {Sheet::FrontSteeringBlock, Field::FrontSteeringBlock},
    {Sheet::FrontArmMaterial, Field::FrontArmMaterial},
    {Sheet::RearWheelBase, Field::RearWheelBase},
    {Sheet::RearAntisquatF, Field::RearAntisquatF},
    {Sheet::RearAntisquatR, Field::RearAntisquatR},
    {Sheet::RearShockPiston, Field::RearShockPiston},
    {Sheet::RearArmMaterial, Field::RearArmMaterial},
    {Sheet::FrontTyres, Field::FrontTyres},
    {Sheet::FrontTyreCompound, Field::FrontTyreCompound},
    {Sheet::FrontInsert, Field::FrontInsert},
    {Sheet::FrontWheel, Field::FrontWheel},
    {Sheet::RearTyres, Field::RearTyres},
    {Sheet::RearTyreCompound, Field::RearTyreCompound},
    {Sheet::RearInsert, Field::RearInsert},
    {Sheet::RearWheel, Field::RearWheel},
    {Sheet::TyreAdditive, Field::TyreAdditive},
    {Sheet::FrontDrive, Field::FrontDrive},
    {Sheet::Comments, Field::Comments},
    {Sheet::Motor, Field::Motor},
    {Sheet::Radio, Field::Radio},
    {Sheet::Servo, Field::Servo},
    {Sheet::MotorBrush, Field::MotorBrush},
    {Sheet::ESC, Field::ESC},
    {Sheet::Body, Field::Body},
    {Sheet::MotorSpring, Field::MotorSpring},
    {Sheet::Spur, Field::Spur},
    {Sheet::Pinion, Field::Pinion},
    {Sheet::Wing, Field::Wing},
    {Sheet::LeadWeights, Field::LeadWeights},
    {Sheet::TrackSurface, Field::TrackSurface},
    {Sheet::TrackTraction, Field::TrackTraction},
    {Sheet::TrackComposition, Field::TrackComposition},
    {Sheet::TrackTemperature, Field::TrackTemperature},
    {Sheet::Notes, Field::Notes},
    {Sheet::ResultsMain, Field::ResultsMain},
    {Sheet::ResultsQualifyingPos, Field::ResultsQualifyingPos},
    {Sheet::ResultsFinishPos, Field::ResultsFinishPos},
};

// Given a unit, from the setup field of the same name.
struct UnitRule {
    Sheet field;
    Field source;
    std::string_view unit;
};
constexpr UnitRule kWithUnit[] = {
    {Sheet::FrontCastor, Field::FrontCastor, "deg"},
    {Sheet::FrontToeIn, Field::FrontToeIn, "deg"},
    {Sheet::FrontRideHeight, Field::FrontRideHeight, "mm"},
    {Sheet::FrontDroop, Field::FrontDroop, "mm"},
    {Sheet::FrontToeOut, Field::FrontToeOut, "deg"},
    {Sheet::FrontShockOil, Field::FrontShockOil, "WT"},
    {Sheet::FrontShockSpring, Field::FrontShockSpring, "lbs"},
    {Sheet::RearToeIn, Field::RearToeIn, "deg"},
    {Sheet::RearCamber, Field::RearCamber, "deg"},
    {Sheet::RearRideHeight, Field::RearRideHeight, "mm"},
    {Sheet::RearDroop, Field::RearDroop, "mm"},
    {Sheet::RearShockOil, Field::RearShockOil, "WT"},
    {Sheet::RearShockSpring, Field::RearShockSpring, "lbs"},
    {Sheet::RearUprightToeIn, Field::RearUprightToeIn, "deg"},
};

// "No" (any case) stays as entered; anything else is a size in mm.
constexpr CopyRule kAntiRollBars[] = {
    {Sheet::FrontAntiRollBar, Field::FrontAntiRollBar},
    {Sheet::RearAntiRollBar, Field::RearAntiRollBar},
};

// Group rules: an option number, or an arm's length and position, marks at
// most one field of a group.

// Value "k" (exactly those digits) marks marks[k - 1] with "l".
struct OptionGroup {
    Field source;
    std::size_t count;
    std::array<Sheet, 8> marks;
};

// Length "long"/"short" (any case) puts "_" in its marker; only then is the
// position read, and position firstPosition + i marks longMarks[i] or
// shortMarks[i]. The front axle has no position 1 on the sheet.
struct ArmRule {
    Field length;
    Field position;
    Sheet longMarker;
    Sheet shortMarker;
    int firstPosition;
    std::size_t count;
    std::array<Sheet, 4> longMarks;
    std::array<Sheet, 4> shortMarks;
};

// Both come from the option groups of the window (OptionGroups.h): a run with
// mark fields is an option group, the long and short runs of a group an arm.

// The sheet field named prefix followed by the number, or prefix alone for a
// number below 0. A name that is not a sheet field does not compile.
constexpr Sheet sheetField(std::string_view prefix, int number = -1) {
    for (std::size_t i = 0; i < SheetFieldCount; ++i) {
        std::string_view name = SheetFieldNames[i];
        if (!name.starts_with(prefix)) continue;
        name.remove_prefix(prefix.size());
        if (number < 0 ? name.empty() : name.size() == 1 && name[0] == char('0' + number)) return Sheet(i);
    }
    throw "no sheet field of that name";
}

constexpr bool isOptionGroup(const OptionRun& run) { return !run.markPrefix.empty() && run.length.empty(); }

constexpr std::size_t countRuns(bool (*which)(const OptionRun&)) {
    std::size_t n = 0;
    for (const OptionRun& run : OptionRuns) n += which(run);
    return n;
}

constexpr auto optionGroups() {
    std::array<OptionGroup, countRuns(isOptionGroup)> groups{};
    std::size_t n = 0;
    for (const OptionRun& run : OptionRuns) {
        if (!isOptionGroup(run)) continue;
        if (run.firstValue != 1) throw "an option group's values count from 1";
        OptionGroup& group = groups[n++];
        group = {run.field, std::size_t(run.count()), {}};
        for (int i = 0; i < run.count(); ++i) group.marks[i] = sheetField(run.markPrefix, run.firstValue + i);
    }
    return groups;
}
constexpr auto kOptionGroups = optionGroups();

constexpr bool isLongArm(const OptionRun& run) { return run.length == "Long"; }

constexpr auto arms() {
    std::array<ArmRule, countRuns(isLongArm)> result{};
    std::size_t n = 0;
    for (const OptionRun& longRun : OptionRuns) {
        if (!isLongArm(longRun)) continue;
        // An index, not a pointer: GCC cannot evaluate a pointer's null check
        // at compile time once UndefinedBehaviorSanitizer instruments it.
        std::size_t shortIndex = std::size(OptionRuns);
        for (std::size_t k = 0; k < std::size(OptionRuns); ++k)
            if (OptionRuns[k].group == longRun.group && OptionRuns[k].length == "Short") shortIndex = k;
        if (shortIndex == std::size(OptionRuns) || OptionRuns[shortIndex].count() != longRun.count() ||
            OptionRuns[shortIndex].firstValue != longRun.firstValue)
            throw "an arm has a short run of the same positions";
        const OptionRun* shortRun = &OptionRuns[shortIndex];
        ArmRule& arm = result[n++];
        arm = {*longRun.lengthField,
               longRun.field,
               sheetField(longRun.markPrefix),
               sheetField(shortRun->markPrefix),
               longRun.firstValue,
               std::size_t(longRun.count()),
               {},
               {}};
        for (int i = 0; i < longRun.count(); ++i) {
            arm.longMarks[i] = sheetField(longRun.markPrefix, longRun.firstValue + i);
            arm.shortMarks[i] = sheetField(shortRun->markPrefix, longRun.firstValue + i);
        }
    }
    return result;
}
constexpr auto kArms = arms();

// The order in which the group rules run, each named by its (first) source.
struct GroupStep {
    bool arm;
    Field source;
};
constexpr GroupStep kGroupOrder[] = {
    {false, Field::AckermanBellcrank},     {false, Field::AckermanHub},   {false, Field::FrontShockTower},
    {false, Field::FrontShockTowerCamber}, {true, Field::FrontArmLength}, {false, Field::RearShockTower},
    {false, Field::RearShockTowerCamber},  {true, Field::RearArmLength},  {false, Field::RearHubCamber},
};

// The tables above must together write every sheet field exactly once and
// read every setup field exactly once; the compiler holds them to that.
struct Coverage {
    std::array<int, SheetFieldCount> written{};
    std::array<int, SetupFieldCount> read{};
};

constexpr Coverage coverage() {
    Coverage c;
    auto write = [&c](Sheet f) { ++c.written[std::size_t(f)]; };
    auto read = [&c](Field f) { ++c.read[std::size_t(f)]; };
    for (const auto& r : kCopied) write(r.field), read(r.source);
    for (const auto& r : kWithUnit) write(r.field), read(r.source);
    for (const auto& r : kAntiRollBars) write(r.field), read(r.source);
    for (const auto& g : kOptionGroups) {
        read(g.source);
        for (std::size_t i = 0; i < g.count; ++i) write(g.marks[i]);
    }
    for (const auto& a : kArms) {
        read(a.length), read(a.position);
        write(a.longMarker), write(a.shortMarker);
        for (std::size_t i = 0; i < a.count; ++i) write(a.longMarks[i]), write(a.shortMarks[i]);
    }
    return c;
}

constexpr bool eachOnce(const auto& counts) {
    for (int n : counts)
        if (n != 1) return false;
    return true;
}

constexpr bool groupOrderComplete() {
    std::size_t options = 0, arms = 0;
    for (const auto& step : kGroupOrder) {
        int found = 0;
        if (step.arm) {
            for (const auto& a : kArms) found += a.length == step.source;
            ++arms;
        } else {
            for (const auto& g : kOptionGroups) found += g.source == step.source;
            ++options;
        }
        if (found != 1) return false;
    }
    return options == std::size(kOptionGroups) && arms == std::size(kArms);
}

static_assert(eachOnce(coverage().written), "every sheet field needs exactly one rule");
static_assert(eachOnce(coverage().read), "every setup field is read by exactly one rule");
static_assert(groupOrderComplete(), "every group rule runs exactly once");

// The value rule of each sheet field, by record position, so that they run in
// record order. Fields written by group rules have none.
enum class ValueKind { None, Copy, Unit, AntiRollBar };
struct ValueRule {
    ValueKind kind = ValueKind::None;
    Field source{};
    std::string_view unit;
};

constexpr std::array<ValueRule, SheetFieldCount> valueRulesInRecordOrder() {
    std::array<ValueRule, SheetFieldCount> rules{};
    for (const auto& r : kCopied) rules[std::size_t(r.field)] = {ValueKind::Copy, r.source, {}};
    for (const auto& r : kWithUnit) rules[std::size_t(r.field)] = {ValueKind::Unit, r.source, r.unit};
    for (const auto& r : kAntiRollBars) rules[std::size_t(r.field)] = {ValueKind::AntiRollBar, r.source, "mm"};
    return rules;
}
constexpr auto kValueRules = valueRulesInRecordOrder();

constexpr std::string_view kMark = "l";
constexpr std::string_view kLengthMarker = "_";

template <class Sink>
void applyOptionGroup(const OptionGroup& group, const CAppSettings& config, Sink& builder) {
    const std::string& chosen = config.field(group.source);
    for (std::size_t i = 0; i < group.count; ++i) {
        if (chosen == std::to_string(i + 1)) {
            builder.setField(group.marks[i], std::string(kMark));
            return;
        }
    }
}

template <class Sink>
void applyArm(const ArmRule& arm, const CAppSettings& config, Sink& builder) {
    const std::string length = platform::text::toLower(config.field(arm.length));
    const std::array<Sheet, 4>* marks = nullptr;
    if (length == "long") {
        builder.setField(arm.longMarker, std::string(kLengthMarker));
        marks = &arm.longMarks;
    } else if (length == "short") {
        builder.setField(arm.shortMarker, std::string(kLengthMarker));
        marks = &arm.shortMarks;
    } else {
        return;  // no length chosen: the position is not looked at
    }
    const std::string& position = config.field(arm.position);
    for (std::size_t i = 0; i < arm.count; ++i) {
        if (position == std::to_string(arm.firstPosition + int(i))) {
            builder.setField((*marks)[i], std::string(kMark));
            return;
        }
    }
}

// Tables 1 to 3 in record order, then the group rules in their order: every
// sheet field the rules write goes to sink.setField.
template <class Sink>
void applyRules(const CAppSettings& config, Sink& builder) {
    for (std::size_t i = 0; i < SheetFieldCount; ++i) {
        const ValueRule& rule = kValueRules[i];
        const Sheet field = Sheet(i);
        switch (rule.kind) {
        case ValueKind::None: break;
        case ValueKind::Copy: builder.setField(field, config.field(rule.source)); break;
        case ValueKind::Unit:
            builder.setField(field, CRulesEngine::AppendUnit(config.field(rule.source), std::string(rule.unit)));
            break;
        case ValueKind::AntiRollBar: {
            const std::string& value = config.field(rule.source);
            builder.setField(field, platform::text::toLower(value) == "no"
                                        ? value
                                        : CRulesEngine::AppendUnit(value, std::string(rule.unit)));
            break;
        }
        }
    }

    for (const GroupStep& step : kGroupOrder) {
        if (step.arm) {
            for (const ArmRule& arm : kArms)
                if (arm.length == step.source) applyArm(arm, config, builder);
        } else {
            for (const OptionGroup& group : kOptionGroups)
                if (group.source == step.source) applyOptionGroup(group, config, builder);
        }
    }
}

}  // namespace

std::string CRulesEngine::AppendUnit(const std::string& value, const std::string& unit) {
    if (unit.empty() || value.empty()) return value;
    if (platform::text::toLower(value).find(platform::text::toLower(unit)) != std::string::npos) return value;
    return value + " " + unit;
}

void CRulesEngine::ProcessData() {
    m_utils = std::make_unique<CUtils>();
    CDataBuilder builder;
    builder.setDataFileDelimiter(m_DataFileDelimiter);

    if (!m_Config) {
        platform::raise(platform::ErrObjectNotSet, "CRulesEngine", "No setup record to process: Config is not set");
    }
    const CAppSettings& config = *m_Config;
    builder.setMappingDirectory(m_utils->checkMe(config.MappingDirectory()));
    builder.setSetupName(m_SetupName);

    applyRules(config, builder);

    // Assigned last: a failure anywhere above keeps the previous record.
    m_SetupDataRow = builder.toString();
    m_MappingFile = platform::paths::toNative(builder.MappingFilePath());
    m_MappingFailure = builder.MappingFailure();
}

namespace {

// The 112 values alone, for SheetFrom.
struct SheetSink {
    CRulesEngine::SheetValues values;
    void setField(Sheet field, std::string value) { values[std::size_t(field)] = std::move(value); }
};

}  // namespace

CRulesEngine::SheetValues CRulesEngine::SheetFrom(const CAppSettings& config) {
    SheetSink sink;
    applyRules(config, sink);
    return sink.values;
}

Setup CRulesEngine::SetupFromSheet(const SheetValues& sheet) {
    Setup setup;
    auto put = [&setup](Field field, std::string value) { setup[std::size_t(field)] = std::move(value); };
    auto at = [&sheet](Sheet field) -> const std::string& { return sheet[std::size_t(field)]; };

    // A copied value goes back as it is.
    // A value with a unit loses the unit the rules append wherever the rules
    // then give back exactly the sheet's text ("42.5 WT" is "42.5"); any
    // other text stays as it stands.
    auto withoutUnit = [](const std::string& value, std::string_view unit) {
        const std::string suffix = " " + std::string(unit);
        if (value.size() <= suffix.size() || !value.ends_with(suffix)) return value;
        std::string bare = value.substr(0, value.size() - suffix.size());
        return AppendUnit(bare, std::string(unit)) == value ? bare : value;
    };
    for (const auto& r : kCopied) put(r.source, at(r.field));
    for (const auto& r : kWithUnit) put(r.source, withoutUnit(at(r.field), r.unit));
    for (const auto& r : kAntiRollBars)
        put(r.source, platform::text::toLower(withoutUnit(at(r.field), "mm")) == "no" ? at(r.field)
                                                                                      : withoutUnit(at(r.field), "mm"));

    // The first marked member of an option group gives its number.
    for (const OptionGroup& group : kOptionGroups)
        for (std::size_t i = 0; i < group.count; ++i)
            if (marked(at(group.marks[i]))) {
                put(group.source, std::to_string(i + 1));
                break;
            }

    // An arm: the length marker gives the length (long before short), else
    // the first marked position does; the first marked position of that
    // length gives the position.
    for (const ArmRule& arm : kArms) {
        auto firstMarked = [&](const std::array<Sheet, 4>& marks) -> int {
            for (std::size_t i = 0; i < arm.count; ++i)
                if (marked(at(marks[i]))) return int(i);
            return -1;
        };
        const int longAt = firstMarked(arm.longMarks);
        const int shortAt = firstMarked(arm.shortMarks);
        bool isLong;
        if (marked(at(arm.longMarker))) isLong = true;
        else if (marked(at(arm.shortMarker))) isLong = false;
        else if (longAt >= 0) isLong = true;
        else if (shortAt >= 0) isLong = false;
        else continue;
        put(arm.length, isLong ? "Long" : "Short");
        if (const int i = isLong ? longAt : shortAt; i >= 0) put(arm.position, std::to_string(arm.firstPosition + i));
    }
    return setup;
}

CRulesEngine::SheetFieldSource CRulesEngine::SourceOf(SheetField field) {
    SheetFieldSource source;
    auto one = [&](Field f) { source.fields[source.count++] = f; };
    for (const auto& r : kCopied)
        if (r.field == field) one(r.source);
    for (const auto& r : kWithUnit)
        if (r.field == field) one(r.source);
    for (const auto& r : kAntiRollBars)
        if (r.field == field) one(r.source);
    for (const OptionGroup& group : kOptionGroups)
        for (std::size_t i = 0; i < group.count; ++i)
            if (group.marks[i] == field) source.mark = true, one(group.source);
    for (const ArmRule& arm : kArms) {
        bool member = arm.longMarker == field || arm.shortMarker == field;
        for (std::size_t i = 0; i < arm.count; ++i)
            member = member || arm.longMarks[i] == field || arm.shortMarks[i] == field;
        if (member) source.mark = true, one(arm.length), one(arm.position);
    }
    return source;
}

}  // namespace vantrel
