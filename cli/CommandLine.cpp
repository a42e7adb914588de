#include "cli/CommandLine.h"

#include <algorithm>
#include <memory>
#include <optional>

#include "cli/AnalysisOutput.h"
#include "cli/Console.h"
#include "cli/FindMode.h"
#include "cli/LineReader.h"
#include "core/Analysis.h"
#include "core/Calculation.h"
#include "core/ElementTable.h"
#include "core/GroupTable.h"
#include "core/RunTimeError.h"
#include "core/TextFile.h"
#include "core/TextRules.h"
#include "core/TypedFormula.h"

namespace Varnock {

namespace {

constexpr std::string_view Program = "varnock";

constexpr std::string_view HelpText =
    R"(Usage: varnock [OPTION]... FORMULA...
  or:  varnock --analysis [OPTION]... FORMULA...
  or:  varnock --list FILE [OPTION]...
  or:  varnock --find MASS|FILE [OPTION]...
Weigh chemical formulas against the element table, as the Varnock window does.
Without arguments, varnock opens its window.

For each FORMULA, print its report (a line per element entry with its count, mass
and share in percent, and the total) and then its formula mass. Notices go to
standard error, each after the formula it is about.

  --mass          print only the formula mass, one line per formula
  -a, --analysis  print for each formula: the formula in Hill order; the molar,
                    monoisotopic and nominal mass; m/z when it is charged
                    (Fe^3+, C8H11N4O2^+); the composition by element; and the
                    isotope pattern's peaks down to 0.01 % of the highest
  --adduct LIST   with --analysis, the adduct ions of each formula too: their
                    formula, m/z and isotope pattern. LIST is comma-separated,
                    each adduct written [kM+X-Y]z with X and Y formulas, as in
                    '[M+H]+,[M+Na]+,[M-H]-,[M+2H]2+,[2M+H]+,[M-H2O+H]+', or a
                    name from adducts.dat beside the element table; quote it,
                    as the shell reads [ ]. With --find, one adduct: the ion
                    the masses were measured as
  --json          with --analysis, one JSON object per formula and line; with
                    --find, one per mass
  --resolution R  with --analysis, the isotope pattern's fine structure: peaks
                    closer than R merged, R in u (0.01, 0.01u) or ppm (5ppm);
                    the default is one peak per nominal mass (unit)@FINE@
  --isotopes FILE read exact masses and abundances from FILE instead of
                    isotopes.dat beside the element table
  --list FILE     weigh one formula per line of FILE (- for standard input) and
                    write one tab-separated line per formula: formula, mass in
                    grams, notices; blank lines and lines starting with # are
                    skipped, lines longer than 40 characters refused. FILE's
                    formulas are weighed against the element table as it was
                    when the list started.
  --csv           with --list, write comma-separated values instead
  --fields LIST   with --list, the columns between formula and notices, from
                    mass, mono, nominal, mz, hill, composition (mass alone by
                    default): --fields mass,mono,mz,hill,composition; and
                    mz followed by an adduct, the m/z of that adduct ion:
                    --fields 'mono,mz[M+H]+,mz[M-H]-'
  --find MASS     list the formulas whose monoisotopic mass fits MASS (the
                    neutral mass, or the m/z with --adduct), best first:
                    measured, formula in Hill order, mass, m/z (with
                    --adduct), error in ppm and mDa, RDBE; FILE (- for standard
                    input) holds one mass a line and gives one block per mass
  --ppm P         with --find, the tolerance in ppm of the m/z (default 5, at
                    most 1000); --mda D gives it in mDa instead
  --ranges R      with --find, the elements and their counts (default
                    'C0-100 H0-202 N0-20 O0-20 P0-5 S0-5'); any element of the
                    tables: 'C0-30 H0-60 Cl0-4 Na0-1'
  --rdbe MIN-MAX  with --find, the molecule's RDBE within MIN and MAX (MAX may
                    be left out: 0-); RDBE = C - H/2 + N/2 + 1, halogens as H,
                    Si as C, P as N
  --even-electron on|off  with --find, the ion has an even number of electrons:
                    a whole RDBE for a neutral molecule (on)
  --senior on|off with --find, the molecule meets the SENIOR rules of valences
                    (on)
  --ratios on|off with --find, the element ratios per carbon of Kind and Fiehn
                    (2007) (off)
  --max N         with --find, keep the N best candidates (default 100)
  --limit N       with --find, stop a search after N formulas tried (default
                    1000000000), with a notice
  --peaks FILE    with --find, rank by how the candidates' isotope patterns
                    agree with the peaks of FILE (m/z and intensity a line)
  --table FILE    read atomic weights from FILE instead of elements.dat beside
                    the program
  --groups FILE   read the groups (Ph, Boc, Ala, acac) from FILE instead of
                    groups.dat beside the element table
  --point         write the decimal separator as ".", whatever the locale
      --help      display this help and exit
      --version   output version information and exit

An empty mass means that the formula gives no complete mass: it was refused, or
names an element the table lacks; the notice says why. A reading note, which only
tells how a formula was read, keeps the mass.

Formulas are read as chemists write them: Ca(OH)2, K4[Fe(CN)6], CuSO4*5H2O,
CaCO3 6H2O, NH3 . 2HCl, 2H2O, Fe0.95O, SO4^2-; subscript digits and superscript
charges may be pasted. A point between a whole count and a whole number that an
element follows, as in CuSO4.5H2O, separates parts unless the formula has other
decimals; a note then says how to write the decimal count: CuS(O4.5)H2O.
Ions are read as written in plain text: Fe3+, NH4+, SO42-, [Fe(CN)6]4-, SO4 2-,
SO4(2-); where digits could also be a count, a note says how to write it.
A mass number and a symbol in square brackets is a labelled isotope: [13C]H4,
[2H]2O; D and T are 2H and 3H unless the element table has rows for them.
Groups of groups.dat read as one entry each: Ph3P, Et3N, tBuOK, Pd(PPh3)4,
Cu(acac)2, HAlaGlyOH; a hyphen right between two of them joins them:
H-Ala-Gly-OH. An element that a group may be taken for stays the element, with a
note: AcOH is actinium; acetic acid is Acet-OH.

Exit status:
 0  every formula gave its whole mass, with or without reading notes,
 1  a formula or an adduct was refused, a formula was empty or named an element
      the table lacks, or can't form an adduct ion asked for; with --find, a
      mass was refused, found no formula, or its search was cut off by --limit
      (a cut at --max is told, with 0),
 2  the command line could not be understood,
 3  the element table can't be read.
)";

// The version is the project's, as the window and the Windows resources give it.
constexpr std::string_view VersionText = "varnock " VARNOCK_VERSION R"(
Copyright (c) 2026 The Varnock developers
License MIT: <https://opensource.org/license/mit>.
This is free software: you are free to change and redistribute it.
There is NO WARRANTY, to the extent permitted by law.
)";

enum class Mode { Report, Mass, Analysis, List, Find, Help, Version };

// The list's columns between formula and notices when --fields doesn't choose them.
const std::vector<std::string> ListFields = {"mass"};

// The columns --fields offers besides the formula and the notices.
const std::vector<std::string_view> FieldNames = {"mass", "mono", "nominal",
                                                  "mz",   "hill", "composition"};

struct Options {
    Mode Chosen = Mode::Report;
    bool Csv = false;
    bool Point = false;
    bool Json = false;
    std::optional<std::vector<std::string>> Fields;
    std::optional<std::string> Resolution;
    AnalysisOptions Pattern;
    std::optional<std::string> Table;
    std::optional<std::string> Isotopes;
    std::optional<std::string> Groups;
    std::vector<std::string> Adducts; // as --adduct gives them
    std::string ListFile;
    std::vector<std::string> Formulas;
    std::optional<FindSettings> Find;
    std::string FindOption; // the first of --find's options given, for a usage error
};

// A usage error: what was wrong, told GNU style.
struct UsageError {
    std::string What;
};

// A list file that can't be opened.
struct InputError {
    std::string Path;
};

// A list file that failed while it was read.
struct ListFailure {
    int Number;
    std::string Path;
};

// The texts a calculation hands its view, kept for the command line to write.
class CollectingView : public CalculationView {
public:
    void ClearReport() override { Report.clear(); }
    void AppendReport(const std::string& Line) override { Report += Line; }
    void SetMassText(const std::string& Text) override { Mass = Text; }
    void Notice(const std::string& Message) override { Notices.push_back(Message); }
    void ReadingNote(const std::string& Note) override { Notes.push_back(Note); }
    bool ShowsReport() const override { return WantsReport; }

    void Clear() {
        Report.clear();
        Mass.clear();
        Notices.clear();
        Notes.clear();
    }

    bool WantsReport = true;
    std::string Report;
    std::string Mass;
    std::vector<std::string> Notices;
    std::vector<std::string> Notes;
};

std::vector<std::string> ReadFields(const std::string& List) {
    std::vector<std::string> Fields;
    for (const std::string_view Field : RowFields(List))
        Fields.emplace_back(Field);
    for (const std::string& Field : Fields) {
        if (FieldAdduct(Field).empty() &&
            std::find(FieldNames.begin(), FieldNames.end(), Field) == FieldNames.end()) {
            std::string Names;
            for (const auto Name : FieldNames)
                Names += (Names.empty() ? "" : ", ") + std::string(Name);
            throw UsageError{"invalid field '" + Field + "' for --fields (one of " + Names +
                             ", or mz and an adduct: mz[M+H]+)"};
        }
    }
    return Fields;
}

// "unit", or a number above 0 in u (0.01, 0.01u) or ppm (5ppm).
void ReadResolution(const std::string& Text, AnalysisOptions& Pattern) {
    const auto Wrong = [&] { return UsageError{"invalid resolution '" + Text + "'"}; };
    if (Text == "unit") {
        Pattern.Resolution = 0;
        return;
    }
    std::string_view Number(Text);
    Pattern.Ppm = Number.ends_with("ppm");
    if (Pattern.Ppm)
        Number.remove_suffix(3);
    else if (Number.ends_with("u"))
        Number.remove_suffix(1);
    double Resolution = 0;
    try {
        if (!ReadWholeNumber(Number, Resolution))
            throw Wrong();
    } catch (const RunTimeError&) {
        throw Wrong();
    }
    if (!(Resolution > 0))
        throw Wrong();
    Pattern.Resolution = Resolution;
}

Options ReadOptions(const std::vector<std::string>& Arguments) {
    Options Read;
    bool Analysis = false;
    bool Listed = false;
    bool Adducted = false;
    bool OptionsEnd = false;
    const auto Value = [&](std::size_t& Index, std::string_view Name,
                           std::string_view Given) -> std::string {
        if (Given.data())
            return std::string(Given);
        if (++Index >= Arguments.size())
            throw UsageError{"option '" + std::string(Name) + "' requires an argument"};
        return Arguments[Index];
    };
    for (std::size_t Index = 1; Index < Arguments.size(); ++Index) {
        const std::string& Argument = Arguments[Index];
        if (!OptionsEnd && Argument == "-a") {
            Analysis = true;
            continue;
        }
        if (OptionsEnd || Argument.size() < 2 || Argument.compare(0, 2, "--") != 0) {
            Read.Formulas.push_back(Argument);
            continue;
        }
        if (Argument == "--") {
            OptionsEnd = true;
            continue;
        }
        const std::size_t Equals = Argument.find('=');
        const std::string Name = Argument.substr(0, Equals);
        const std::string_view Given = Equals == std::string::npos
                                           ? std::string_view()
                                           : std::string_view(Argument).substr(Equals + 1);
        const auto NoValue = [&] {
            if (Given.data())
                throw UsageError{"option '" + Name + "' doesn't allow an argument"};
        };
        if (Name == "--mass") {
            NoValue();
            Read.Chosen = Mode::Mass;
        } else if (Name == "--analysis") {
            NoValue();
            Analysis = true;
        } else if (Name == "--json") {
            NoValue();
            Read.Json = true;
        } else if (Name == "--fields") {
            Read.Fields = ReadFields(Value(Index, Name, Given));
        } else if (Name == "--adduct") {
            const std::string List = Value(Index, Name, Given);
            for (const std::string_view Adduct : RowFields(List))
                Read.Adducts.emplace_back(Adduct);
            Adducted = true;
        } else if (Name == "--resolution") {
            Read.Resolution = Value(Index, Name, Given);
            ReadResolution(*Read.Resolution, Read.Pattern);
        } else if (Name == "--isotopes") {
            Read.Isotopes = Value(Index, Name, Given);
        } else if (Name == "--list") {
            Read.ListFile = Value(Index, Name, Given);
            Listed = true;
        } else if (Name == "--csv") {
            NoValue();
            Read.Csv = true;
        } else if (Name == "--find") {
            if (!Read.Find)
                Read.Find.emplace();
            Read.Find->Masses = Value(Index, Name, Given);
            Read.FindOption = "";
        } else if (IsFindOption(Name)) {
            if (!Read.Find) {
                Read.Find.emplace();
                Read.FindOption = Name;
            }
            if (std::string Wrong = ReadFindOption(Name, Value(Index, Name, Given), *Read.Find);
                !Wrong.empty())
                throw UsageError{Wrong};
        } else if (Name == "--table") {
            Read.Table = Value(Index, Name, Given);
        } else if (Name == "--groups") {
            Read.Groups = Value(Index, Name, Given);
        } else if (Name == "--point") {
            NoValue();
            Read.Point = true;
        } else if (Name == "--help" || Name == "--version") {
            NoValue();
            Read.Chosen = Name == "--help" ? Mode::Help : Mode::Version;
            return Read; // answered at once, whatever else is there
        } else {
            throw UsageError{"unrecognized option '" + Argument + "'"};
        }
    }
    if (Read.Find) {
        if (!Read.FindOption.empty())
            throw UsageError{Read.FindOption + " goes with --find"};
        if (Read.Adducts.size() > 1)
            throw UsageError{"--find takes one adduct"};
        if (Read.Find->Masses == "-" && Read.Find->Peaks == "-")
            throw UsageError{"--find - and --peaks - can't both read standard input"};
        if (Adducted)
            Read.Find->Adduct = Read.Adducts.empty() ? std::string() : Read.Adducts.front();
        if (Analysis || Listed || Read.Chosen == Mode::Mass || Read.Csv || Read.Fields ||
            Read.Resolution || !Read.Formulas.empty())
            throw UsageError{"--find takes a mass or a file of masses, and no formula"};
        Read.Find->Json = Read.Json;
        Read.Chosen = Mode::Find;
        return Read;
    }
    if (Analysis) {
        if (Read.Chosen == Mode::Mass || Listed)
            throw UsageError{"--analysis goes with neither --mass nor --list"};
        Read.Chosen = Mode::Analysis;
    } else if (Read.Json) {
        throw UsageError{"--json goes with --analysis or --find"};
    } else if (Read.Resolution) {
        throw UsageError{"--resolution goes with --analysis"};
    } else if (Adducted) {
        throw UsageError{"--adduct goes with --analysis or --find"};
    }
    if (Read.Pattern.Resolution > 0 && !HasFineStructure())
        throw UsageError{"--resolution: this build of varnock has no fine structure"};
    if (Read.Fields && !Listed)
        throw UsageError{"--fields goes with --list"};
    if (Listed) {
        if (Read.Chosen == Mode::Mass || !Read.Formulas.empty())
            throw UsageError{"--list takes its formulas from FILE alone"};
        Read.Chosen = Mode::List;
    } else if (Read.Csv) {
        throw UsageError{"--csv goes with --list"};
    } else if (Read.Formulas.empty()) {
        throw UsageError{"no formula given"};
    }
    return Read;
}

bool Skipped(std::string_view Line) {
    return Line.find_first_not_of(" \t") == std::string_view::npos ||
           (!Line.empty() && Line[0] == '#');
}

// A field of the list: tabs would end it early in tab-separated output, so they become
// spaces; comma-separated output quotes a field that needs it.
std::string Field(std::string_view Text, bool Csv) {
    if (!Csv) {
        std::string Plain(Text);
        for (char& Character : Plain)
            if (Character == '\t')
                Character = ' ';
        return Plain;
    }
    if (Text.find_first_of(",\"\r\n") == std::string_view::npos)
        return std::string(Text);
    std::string Quoted = "\"";
    for (char Character : Text) {
        if (Character == '"')
            Quoted += '"';
        Quoted += Character;
    }
    return Quoted + "\"";
}

// One run of the command line over its formulas.
class Run {
public:
    Run(const Options& Chosen, CommandLineIo& Io)
        : Chosen(Chosen), Io(Io),
          Path(Chosen.Table ? *Chosen.Table : Io.ProgramFolder + std::string(ElementTableName)),
          Separator(Chosen.Point ? '.' : Io.DecimalSeparator), Pattern(Chosen.Pattern) {}

    int Go() {
        const ElementTable Table(Path);
        std::unique_ptr<ElementSnapshot> Snapshot;
        std::unordered_map<std::string, int> Numbers; // the search's, read with the check
        ElementSymbols Symbols;
        try {
            if (Chosen.Chosen == Mode::List) {
                Snapshot = std::make_unique<ElementSnapshot>(Table);
                for (const std::string& Symbol : Snapshot->Symbols())
                    Symbols.Add(Symbol);
            } else if (Chosen.Chosen == Mode::Find) {
                Numbers = AtomicNumbers(Table);
                if (Chosen.Find->Adduct) // which may name groups
                    Symbols = ElementSymbols::Of(Table);
            } else { // a table that can't be read is told before any result
                Symbols = ElementSymbols::Of(Table);
            }
        } catch (const RunTimeError& Failure) {
            Io.Err.Line(std::string(Program) + ": " + ErrorNumberText(Failure.Number()) +
                        " reading " + Path + std::string(Io.LineEnd));
            return ExitTableUnreadable;
        }
        ReadGroups(std::move(Symbols));
        if (Chosen.Chosen == Mode::Find) {
            const int Status =
                RunFind(*Chosen.Find, Path, Numbers,
                        Chosen.Isotopes ? *Chosen.Isotopes : IsotopeTableBeside(Path), &Groups, Io,
                        Separator);
            TellGroupFaults();
            return Noticed && Status == ExitDone ? ExitNoticed : Status;
        }
        if (Chosen.Chosen == Mode::Analysis) {
            const ElementSnapshot Weights(Table);
            ReadIsotopes();
            Pattern.Adducts = AdductsAsked(Chosen.Adducts);
            for (std::size_t Index = 0; Index < Chosen.Formulas.size(); ++Index)
                Analysed(Chosen.Formulas[Index], Weights, Index > 0);
        } else if (Snapshot) {
            const std::vector<std::string> Fields = Chosen.Fields.value_or(ListFields);
            if (Fields != ListFields)
                ReadIsotopes();
            std::vector<std::string> Named;
            for (const std::string& Field : Fields)
                if (const std::string_view Adduct = FieldAdduct(Field); !Adduct.empty())
                    Named.emplace_back(Adduct);
            // The list's own mass column weighs the formula; shares only for its composition.
            Columns.Pattern = false;
            Columns.Shares = std::find(Fields.begin(), Fields.end(), "composition") != Fields.end();
            Columns.Adducts = AdductsAsked(Named);
            Columns.IonMassToChargeOnly = true;
            List(*Snapshot);
        } else {
            for (std::size_t Index = 0; Index < Chosen.Formulas.size(); ++Index)
                Single(Chosen.Formulas[Index], Table, Index > 0);
        }
        return Noticed ? ExitNoticed : ExitDone;
    }

private:
    // Why the formula box would not take Formula: empty, or longer than it holds; else empty.
    static std::string BoxRefusal(const std::string& Formula, const TypedFormula& Typed) {
        if (IsEmptyFormula(Formula))
            return "Formula: empty";
        if (Typed.Characters > static_cast<std::uint32_t>(FormulaLimit))
            return "Formula: " + std::to_string(Typed.Characters) + " characters, at most " +
                   std::to_string(FormulaLimit) + " can be read";
        return {};
    }

    // Reads the formula as the window does, refusing more than the box holds.
    // With Analysed, the formula is analysed too (without its pattern), read only once.
    void Weigh(const std::string& Formula, const ElementWeights& Weights,
               FormulaAnalysis* Analysed = nullptr) {
        View.Clear();
        const TypedFormula Typed = ReadTyped(Formula);
        if (const std::string Refusal = BoxRefusal(Formula, Typed); !Refusal.empty()) {
            View.Notice(Refusal);
        } else if (!Analysed) {
            Calculate(Entries, Typed, Weights, View, Separator, &Groups);
        } else {
            FormulaReading Reading;
            try {
                Reading = ReadFormula(Typed.Text, &Groups);
            } catch (const RunTimeError&) { // the calculation tells it
                Calculate(Entries, Typed, Weights, View, Separator, &Groups);
                Noticed = true;
                return;
            }
            Calculate(Entries, Typed, Reading, Weights, View, Separator);
            *Analysed = Analyse(Typed, Reading, Weights, Isotopes.get(), Columns);
        }
        TellGroupFaults();
        Noticed = Noticed || !View.Notices.empty();
    }

    std::string LineEnded(std::string Text) const { return Text.append(Io.LineEnd); }

    // The groups, read against the element table's symbols when a formula first needs them.
    void ReadGroups(ElementSymbols Symbols) {
        Groups =
            GroupTable(Chosen.Groups ? *Chosen.Groups : GroupTableBeside(Path), std::move(Symbols));
    }

    // Bad rows of the groups, told once, as soon as a formula has made the table be read.
    void TellGroupFaults() {
        if (!Groups.Loaded() || GroupFaultsTold)
            return;
        GroupFaultsTold = true;
        for (const auto& Notice : Groups.Notices())
            Io.Err.Line(LineEnded(std::string(Program) + ": " + Notice));
        Noticed = Noticed || !Groups.Notices().empty();
    }

    // The isotope table, for the analysis: its faults are told once, before any formula.
    void ReadIsotopes() {
        const std::string IsotopePath =
            Chosen.Isotopes ? *Chosen.Isotopes : IsotopeTableBeside(Path);
        try {
            Isotopes = std::make_unique<IsotopeTable>(IsotopePath);
        } catch (const RunTimeError& Failure) {
            Io.Err.Line(LineEnded(std::string(Program) + ": " + ErrorNumberText(Failure.Number()) +
                                  " reading " + IsotopePath +
                                  ": no exact masses, m/z or isotope patterns"));
            Noticed = true;
            return;
        }
        for (const auto& Notice : Isotopes->Notices())
            Io.Err.Line(LineEnded(std::string(Program) + ": " + Notice));
        Noticed = Noticed || !Isotopes->Notices().empty();
    }

    // The adducts asked for, read with the names of the adduct table when there are any; what
    // can't be read is told once, before any formula.
    std::vector<NamedAdduct> AdductsAsked(const std::vector<std::string>& Texts) {
        if (Texts.empty())
            return {};
        std::vector<std::string> Told;
        std::unique_ptr<AdductTable> Named;
        const std::string TablePath = AdductTableBeside(Path);
        try {
            Named = std::make_unique<AdductTable>(TablePath);
            Told = Named->Notices();
        } catch (const RunTimeError& Failure) {
            Told.push_back(ErrorNumberText(Failure.Number()) + " reading " + TablePath +
                           ": no named adducts");
        }
        std::vector<NamedAdduct> Read = ReadAdducts(Texts, Named.get(), Told, &Groups);
        for (const std::string& Notice : Told)
            Io.Err.Line(LineEnded(std::string(Program) + ": " + Notice));
        Noticed = Noticed || !Told.empty();
        return Read;
    }

    // The analysis of a formula the box would hold; else why not.
    FormulaAnalysis Analysis(const std::string& Formula, const ElementWeights& Weights,
                             const AnalysisOptions& Options) const {
        const TypedFormula Typed = ReadTyped(Formula);
        if (std::string Refusal = BoxRefusal(Formula, Typed); !Refusal.empty()) {
            FormulaAnalysis Refused;
            Refused.Notices.push_back(std::move(Refusal));
            return Refused;
        }
        return Analyse(Typed, Weights, Isotopes.get(), Options, &Groups);
    }

    void Analysed(const std::string& Formula, const ElementWeights& Weights, bool After) {
        const FormulaAnalysis Result = Analysis(Formula, Weights, Pattern);
        TellGroupFaults();
        // An ion that can't be formed is told with the formula; JSON tells it with the ion.
        std::vector<std::string> Notices = Result.Notices;
        for (const IonAnalysis& Ion : Result.Ions)
            Notices.insert(Notices.end(), Ion.Ion.Notices.begin(), Ion.Ion.Notices.end());
        Noticed = Noticed || !Notices.empty();
        if (Chosen.Json) {
            Io.Out.Line(LineEnded(AnalysisJson(Formula, Result, Pattern.Resolution > 0)));
        } else {
            Tell(Formula, Notices, Result.Notes);
            if (Result.Read)
                Io.Out.Line((After ? std::string(Io.LineEnd) : std::string()) +
                            AnalysisText(Result, Separator, Io.LineEnd));
        }
        Io.Out.Flush();
    }

    // Notices, then reading notes, a line each on standard error.
    void Tell(const std::string& Formula, const std::vector<std::string>& Notices,
              const std::vector<std::string>& Notes) {
        for (const auto* Told : {&Notices, &Notes})
            for (const auto& Each : *Told)
                Io.Err.Line(LineEnded(Formula + ": " + Each));
    }

    void Single(const std::string& Formula, const ElementWeights& Weights, bool After) {
        Weigh(Formula, Weights);
        Tell(Formula, View.Notices, View.Notes);
        if (Chosen.Chosen == Mode::Mass) {
            Io.Out.Line(LineEnded(View.Mass));
        } else if (!View.Report.empty()) {
            // Where an element is missing, the report without the mass: the total says so.
            std::string Block = After ? std::string(Io.LineEnd) : std::string();
            Block += LineEnded(ReportHeading());
            for (std::size_t Start = 0; Start < View.Report.size();) {
                const std::size_t End = View.Report.find(LineFeed, Start);
                Block += LineEnded(View.Report.substr(Start, End - Start));
                Start = End + LineFeed.size();
            }
            Block += LineEnded("Formula Mass:" + (View.Mass.empty() ? "" : " " + View.Mass));
            Io.Out.Line(Block);
        }
        Io.Out.Flush();
    }

    void List(const ElementWeights& Weights) {
        const bool Csv = Chosen.Csv;
        const char Between = Csv ? ',' : '\t';
        View.WantsReport = false;
        const ListInput Input(Chosen.ListFile);
        if (!Input.Opened())
            throw InputError{Chosen.ListFile};

        const std::vector<std::string> Fields = Chosen.Fields.value_or(ListFields);
        const bool Analysed = Fields != ListFields;
        std::string Heading = "formula";
        for (const auto& Name : Fields)
            Heading += Between + (Name == "mass" ? std::string("mass (g)") : Name);
        Io.Out.Line(LineEnded(Heading + Between + "notices"));
        LineReader Lines(Input.Handle(), Io.Out);
        std::string Formula;
        while (Next(Lines, Formula)) {
            if (Skipped(Formula))
                continue;
            FormulaAnalysis Result;
            Weigh(Formula, Weights, Analysed ? &Result : nullptr);
            std::string Mass = View.Mass;
            if (Mass.size() >= MassUnit.size() &&
                Mass.compare(Mass.size() - MassUnit.size(), MassUnit.size(), MassUnit) == 0)
                Mass.resize(Mass.size() - MassUnit.size());
            std::string Line = Field(Formula, Csv);
            std::vector<std::string> Notices = View.Notices;
            if (Analysed) {
                // What the calculation refused or missed, the analysis need not tell again.
                if (Notices.empty()) {
                    Notices = Result.Notices;
                    for (const IonAnalysis& Ion : Result.Ions)
                        Notices.insert(Notices.end(), Ion.Ion.Notices.begin(),
                                       Ion.Ion.Notices.end());
                }
                Noticed = Noticed || !Notices.empty();
                for (const auto& Name : Fields)
                    Line +=
                        Between +
                        Field(Name == "mass" ? Mass : AnalysisField(Name, Result, Separator), Csv);
            } else {
                Line += Between + Field(Mass, Csv);
            }
            Notices.insert(Notices.end(), View.Notes.begin(), View.Notes.end());
            std::string Joined;
            for (const auto& Notice : Notices)
                Joined += (Joined.empty() ? "" : "; ") + Notice;
            Io.Out.Line(LineEnded(Line + Between + Field(Joined, Csv)));
        }
    }

    bool Next(LineReader& Lines, std::string& Formula) const {
        try {
            return Lines.Next(Formula);
        } catch (const RunTimeError& Failure) {
            throw ListFailure{Failure.Number(), Chosen.ListFile};
        }
    }

    const Options& Chosen;
    CommandLineIo& Io;
    const std::string Path;
    const char Separator;
    BasVarnock Entries;
    CollectingView View;
    std::unique_ptr<IsotopeTable> Isotopes;
    AnalysisOptions Pattern; // as chosen, with the adducts read
    AnalysisOptions Columns; // what --list --fields asks of the analysis
    GroupTable Groups;
    bool GroupFaultsTold = false;
    bool Noticed = false;
};

// The help, telling whether this build has the fine structure.
std::string Help() {
    std::string Text(HelpText);
    const std::size_t At = Text.find("@FINE@");
    Text.replace(At, 6,
                 HasFineStructure() ? ""
                                    : ";\n                    this build has no fine structure (it "
                                      "needs IsoSpec), so unit only");
    return Text;
}

// The texts above are written with LF; the system's line end replaces it.
std::string WithLineEnds(std::string_view Text, std::string_view LineEnd) {
    std::string Out;
    for (char Character : Text) {
        if (Character == '\n')
            Out += LineEnd;
        else
            Out += Character;
    }
    return Out;
}

} // namespace

int RunCommandLine(const std::vector<std::string>& Arguments, CommandLineIo& Io) {
    const std::string End(Io.LineEnd);
    int Status = ExitUsage;
    SetFineStructureFolder(Io.ProgramFolder);
    try {
        const Options Chosen = ReadOptions(Arguments);
        if (Chosen.Chosen == Mode::Help || Chosen.Chosen == Mode::Version) {
            Io.Out.Line(WithLineEnds(Chosen.Chosen == Mode::Help ? Help() : VersionText, End));
            Status = ExitDone;
        } else {
            Status = Run(Chosen, Io).Go();
        }
    } catch (const UsageError& Wrong) {
        Io.Err.Line(std::string(Program) + ": " + Wrong.What + End + "Try '" +
                    std::string(Program) + " --help' for more information." + End);
    } catch (const InputError& Missing) {
        Io.Err.Line(std::string(Program) + ": " + Missing.Path + ": can't be opened" + End);
    } catch (const ListFailure& Failure) {
        // Reading the list failed halfway: what was weighed so far stays written.
        Io.Err.Line(std::string(Program) + ": " + ErrorNumberText(Failure.Number) + " reading " +
                    Failure.Path + End);
        Status = ExitNoticed;
    }
    Io.Out.Flush();
    Io.Err.Flush();
    return Status;
}

} // namespace Varnock
