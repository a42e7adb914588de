#include "cli/FindMode.h"

#include <cmath>
#include <memory>

#include <nlohmann/json.hpp>

#include "cli/AnalysisOutput.h"
#include "cli/Console.h"
#include "cli/LineReader.h"
#include "core/AdductTable.h"
#include "core/AnalysisText.h"
#include "core/TextRules.h"

namespace Varnock {

namespace {

constexpr std::string_view Program = "varnock";

std::string_view Trimmed(std::string_view Text) {
    const std::size_t First = Text.find_first_not_of(" \t");
    if (First == std::string_view::npos)
        return {};
    return Text.substr(First, Text.find_last_not_of(" \t") - First + 1);
}

bool ReadNumber(std::string_view Text, double& Number) {
    try {
        return ReadWholeNumber(Trimmed(Text), Number) && std::isfinite(Number);
    } catch (const RunTimeError&) { // too large for a double
        return false;
    }
}

bool ReadSwitch(const std::string& Value, bool& On) {
    if (Value == "on" || Value == "yes") {
        On = true;
        return true;
    }
    if (Value == "off" || Value == "no") {
        On = false;
        return true;
    }
    return false;
}

// "MIN-MAX", or "MIN-" for no maximum. MIN may be negative: the dash between them is the one
// after a digit.
bool ReadRdbe(const std::string& Value, FindRules& Rules) {
    std::size_t Dash = std::string::npos;
    for (std::size_t At = 1; At < Value.size(); ++At)
        if (Value[At] == '-' && (Value[At - 1] >= '0' && Value[At - 1] <= '9'))
            Dash = At;
    if (Dash == std::string::npos)
        return false;
    double Low = 0, High = 0;
    const std::string_view Text(Value);
    if (!ReadNumber(Text.substr(0, Dash), Low))
        return false;
    if (Dash + 1 == Value.size())
        High = 1e9;
    else if (!ReadNumber(Text.substr(Dash + 1), High) || High < Low)
        return false;
    Rules.RdbeLimited = true;
    Rules.RdbeMin = Low;
    Rules.RdbeMax = High;
    return true;
}

bool ReadCount(const std::string& Value, unsigned long long& Count) {
    double Number = 0;
    if (!ReadNumber(Value, Number) || Number < 1 || Number > 1e15 || Number != std::floor(Number))
        return false;
    Count = static_cast<unsigned long long>(Number);
    return true;
}

std::string LineEnded(std::string Text, const CommandLineIo& Io) {
    return Text.append(Io.LineEnd);
}

class FindRun {
public:
    FindRun(const FindSettings& Settings, const GroupTable* Groups, CommandLineIo& Io,
            char Separator)
        : Settings(Settings), Groups(Groups), Io(Io), Separator(Separator) {}

    int Go(const std::string& TablePath, const std::unordered_map<std::string, int>& Numbers,
           const std::string& IsotopePath) {
        if (!Prepare(TablePath, Numbers, IsotopePath))
            return ExitNoticed;
        if (Settings.Masses != "-" && LooksNumeric(Settings.Masses)) {
            Heading();
            One(Settings.Masses);
        } else {
            List();
        }
        Io.Out.Flush();
        return Status;
    }

    // The list file that can't be opened, for the usage error.
    std::string Unopened;

private:
    // A mass rather than a file: a mistyped number is told as one, not as a missing file.
    static bool LooksNumeric(std::string_view Text) {
        Text = Trimmed(Text);
        return Text.empty() || Text.find_first_not_of("0123456789.,+-eE ") == std::string::npos;
    }

    void Tell(const std::string& Text) {
        Io.Err.Line(LineEnded(Text, Io));
        Status = std::max(Status, static_cast<int>(ExitNoticed));
    }

    bool Prepare(const std::string& TablePath, const std::unordered_map<std::string, int>& Numbers,
                 const std::string& IsotopePath) {
        std::unique_ptr<AdductTable> Named;
        const std::string Adduct = Settings.Adduct ? *Settings.Adduct : "";
        if (Settings.Adduct) {
            const std::string AdductPath = AdductTableBeside(TablePath);
            try {
                Named = std::make_unique<AdductTable>(AdductPath);
                for (const std::string& Fault : Named->Notices())
                    Tell(std::string(Program) + ": " + Fault);
            } catch (const RunTimeError& Failure) { // the notation still reads without names
                Tell(std::string(Program) + ": " + ErrorNumberText(Failure.Number()) + " reading " +
                     AdductPath);
            }
        }
        try { // the rows of the elements searched alone: most of the table's time
            Isotopes = std::make_unique<IsotopeTable>(
                IsotopePath, SearchSymbols(Settings.Ranges, Adduct, Named.get(), Groups));
        } catch (const RunTimeError& Failure) {
            Tell(std::string(Program) + ": " + ErrorNumberText(Failure.Number()) + " reading " +
                 IsotopePath + ": no exact masses to search with");
            return false;
        }
        std::string Notice;
        if (!SetUpSearch(Request, Settings.Ranges, Adduct, Numbers, *Isotopes, Named.get(), Notice,
                         Groups)) {
            Tell(std::string(Program) + ": " + Notice);
            return false;
        }
        Request.Tolerance = Settings.Tolerance;
        Request.Ppm = Settings.Ppm;
        Request.Rules = Settings.Rules;
        Request.Max = Settings.Max;
        Request.StepLimit = Settings.StepLimit;
        if (const std::string Why = FindSettingsRefusal(Request); !Why.empty()) {
            Tell(std::string(Program) + ": " + Why);
            return false;
        }
        if (Settings.Peaks && !ReadPeaks(*Settings.Peaks))
            return false;
        return true;
    }

    // m/z and intensity a line, separated by blanks, a tab, a comma or a semicolon.
    bool ReadPeaks(const std::string& Path) {
        const ListInput File(Path);
        if (!File.Opened()) {
            Tell(std::string(Program) + ": " + Path + ": can't be opened");
            return false;
        }
        LineReader Lines(File.Handle(), Io.Out);
        std::string Line;
        std::size_t Number = 0;
        try {
            while (Lines.Next(Line)) {
                ++Number;
                const std::string_view Text = Trimmed(Line);
                if (Text.empty() || Text[0] == '#')
                    continue;
                const std::size_t Split = Text.find_first_of(" \t,;");
                const std::size_t Next = Split == std::string_view::npos
                                             ? Split
                                             : Text.find_first_not_of(" \t,;", Split);
                MeasuredPeak Peak;
                if (Next == std::string_view::npos ||
                    !ReadNumber(Text.substr(0, Split), Peak.MassToCharge) ||
                    !ReadNumber(Text.substr(Next), Peak.Intensity) || !(Peak.MassToCharge > 0) ||
                    Peak.Intensity < 0) {
                    Tell(std::string(Program) + ": " + Path + ": line " + std::to_string(Number) +
                         ": write an m/z above 0 and an intensity of 0 or more");
                    return false;
                }
                Request.Peaks.push_back(Peak);
            }
        } catch (const RunTimeError& Failure) {
            Tell(std::string(Program) + ": " + ErrorNumberText(Failure.Number()) + " reading " +
                 Path);
            return false;
        }
        if (Request.Peaks.empty()) {
            Tell(std::string(Program) + ": " + Path + ": no peak");
            return false;
        }
        return true;
    }

    void Heading() {
        if (Settings.Json)
            return;
        std::string Line = std::string("measured\tformula\tmass\t") +
                           (Settings.Adduct ? "mz\t" : "") + "error (ppm)\terror (mDa)\trdbe";
        if (!Request.Peaks.empty())
            Line += "\tscore";
        Io.Out.Line(LineEnded(Line, Io));
    }

    void List() {
        const ListInput Input(Settings.Masses);
        if (!Input.Opened()) {
            Unopened = Settings.Masses;
            return;
        }
        Heading();
        LineReader Lines(Input.Handle(), Io.Out);
        std::string Line;
        try {
            while (Lines.Next(Line)) {
                const std::string_view Text = Trimmed(Line);
                if (Text.empty() || Text[0] == '#')
                    continue;
                One(std::string(Text));
            }
        } catch (const RunTimeError& Failure) {
            Tell(std::string(Program) + ": " + ErrorNumberText(Failure.Number()) + " reading " +
                 Settings.Masses);
        }
    }

    std::string Tolerance() const {
        return NumberText(Settings.Tolerance, '.') + (Settings.Ppm ? " ppm" : " mDa");
    }

    // One mass: its block, and its notices after it.
    void One(const std::string& Text) {
        std::vector<std::string> Notices;
        FindResult Result;
        double Mass = 0;
        if (Trimmed(Text).empty()) {
            Notices.push_back("Mass: empty");
        } else if (!ReadNumber(Text, Mass)) {
            Notices.push_back("Mass: not a number (write it with a decimal point: 508.2468)");
        } else {
            FindRequest Asked = Request;
            Asked.Measured = Mass;
            Result = FindFormulas(Asked);
            if (!Result.Refusal.empty())
                Notices.push_back(Result.Refusal);
            else if (Result.Cut)
                Notices.push_back("Search: cut off after " + std::to_string(Result.Steps) +
                                  " formulas tried (--limit); better candidates may be missing");
            else if (Result.Found == 0)
                Notices.push_back("no formula within " + Tolerance() + " in " + Settings.Ranges);
        }
        const bool Failed = !Notices.empty();
        // A note, not an error: the candidates kept are the best.
        std::vector<std::string> Notes;
        if (!Failed && Result.Found > Result.Candidates.size())
            Notes.push_back("the " + std::to_string(Result.Candidates.size()) + " best of " +
                            std::to_string(Result.Found) + " candidates (--max)");
        Write(Text, Result, Notices, Notes);
        for (const auto* Told : {&Notices, &Notes})
            for (const std::string& Notice : *Told)
                Io.Err.Line(LineEnded(Text + ": " + Notice, Io));
        if (Failed)
            Status = std::max(Status, static_cast<int>(ExitNoticed));
        Io.Out.Flush();
    }

    void Write(const std::string& Text, const FindResult& Result,
               const std::vector<std::string>& Notices, const std::vector<std::string>& Notes) {
        const bool Scored = !Request.Peaks.empty();
        if (Settings.Json) {
            using Json = nlohmann::ordered_json;
            Json Object;
            Object["measured"] = Text;
            Json List = Json::array();
            for (const Candidate& Each : Result.Candidates) {
                // Numbers as the analysis writes them, to 15 significant digits.
                Json Row = {{"formula", Each.Hill},
                            {"mass", WrittenNumber(Each.Mass)},
                            {"errorPpm", WrittenNumber(Each.ErrorPpm)},
                            {"errorMilliDalton", WrittenNumber(Each.ErrorMilliDalton)},
                            {"rdbe", Each.Rdbe}};
                if (Settings.Adduct)
                    Row["mz"] = WrittenNumber(Each.MassToCharge);
                if (Scored)
                    Row["score"] = WrittenNumber(Each.Score);
                List.push_back(std::move(Row));
            }
            Object["candidates"] = std::move(List);
            Object["found"] = Result.Found;
            Object["cut"] = Result.Cut;
            // Errors, where the list is none or not whole, and notes.
            Object["notices"] = NoticesJson(Notices, Notes);
            Io.Out.Line(LineEnded(Object.dump(-1, ' ', false, Json::error_handler_t::replace), Io));
            return;
        }
        std::string Field(Text);
        for (char& Character : Field)
            if (Character == '\t')
                Character = ' ';
        if (Result.Candidates.empty()) {
            // The mass keeps its line, so that every mass given is in the output.
            Io.Out.Line(LineEnded(
                Field + "\t\t\t\t\t" + (Settings.Adduct ? "\t" : "") + (Scored ? "\t" : ""), Io));
            return;
        }
        for (const Candidate& Each : Result.Candidates) {
            const auto Cells = CandidateCells(Each, Separator);
            std::string Line = Field + '\t' + Cells[0] + '\t' + Cells[1] + '\t' +
                               (Settings.Adduct ? Cells[2] + '\t' : std::string()) + Cells[3] +
                               '\t' + Cells[4] + '\t' + Cells[5];
            if (Scored)
                Line += '\t' + Cells[6];
            Io.Out.Line(LineEnded(Line, Io));
        }
    }

    const FindSettings& Settings;
    const GroupTable* const Groups;
    CommandLineIo& Io;
    const char Separator;
    std::unique_ptr<IsotopeTable> Isotopes;
    FindRequest Request;
    int Status = ExitDone;
};

} // namespace

bool IsFindOption(std::string_view Name) {
    for (const std::string_view Each : {"--ppm", "--mda", "--ranges", "--rdbe", "--max", "--peaks",
                                        "--limit", "--even-electron", "--senior", "--ratios"})
        if (Name == Each)
            return true;
    return false;
}

std::string ReadFindOption(std::string_view Name, const std::string& Value,
                           FindSettings& Settings) {
    const std::string Wrong = "invalid value '" + Value + "' for " + std::string(Name);
    if (Name == "--ppm" || Name == "--mda") {
        // Out of range is the search's refusal; only what isn't a number is a usage error.
        if (!ReadNumber(Value, Settings.Tolerance))
            return Wrong;
        Settings.Ppm = Name == "--ppm";
    } else if (Name == "--ranges") {
        Settings.Ranges = Value;
    } else if (Name == "--rdbe") {
        if (!ReadRdbe(Value, Settings.Rules))
            return Wrong + " (MIN-MAX, such as 0-40 or -0.5-)";
    } else if (Name == "--max") {
        unsigned long long Count = 0;
        if (!ReadCount(Value, Count) || Count > 1000000)
            return Wrong + " (1 to 1000000)";
        Settings.Max = Count;
    } else if (Name == "--limit") {
        if (!ReadCount(Value, Settings.StepLimit))
            return Wrong;
    } else if (Name == "--peaks") {
        Settings.Peaks = Value;
    } else {
        bool& Rule = Name == "--even-electron" ? Settings.Rules.EvenElectron
                     : Name == "--senior"      ? Settings.Rules.Senior
                                               : Settings.Rules.Ratios;
        if (!ReadSwitch(Value, Rule))
            return Wrong + " (on or off)";
    }
    return {};
}

int RunFind(const FindSettings& Settings, const std::string& TablePath,
            const std::unordered_map<std::string, int>& Numbers, const std::string& IsotopePath,
            const GroupTable* Groups, CommandLineIo& Io, char Separator) {
    FindRun Run(Settings, Groups, Io, Separator);
    const int Status = Run.Go(TablePath, Numbers, IsotopePath);
    if (!Run.Unopened.empty()) {
        Io.Err.Line(
            LineEnded(std::string(Program) + ": " + Run.Unopened + ": can't be opened", Io));
        return ExitUsage;
    }
    return Status;
}

} // namespace Varnock
