#include "Lint.h"

#include <array>
#include <system_error>

#include "DataText.h"
#include "FolderFiles.h"
#include "PartyCheck.h"
#include "RoseCheck.h"
#include "ShopCheck.h"
#include "SpellCheck.h"
#include "TileCheck.h"
#include "cli/CommandLine.h"
#include "platform/Platform.h"

namespace dw::lint {

namespace fs = std::filesystem;

namespace {

struct DataFileKind {
  const char* path;
  const char* withoutIt;
};
constexpr DataFileKind shopsFile = {"res/shops.dat", "every shop offer reads {%%: 0GP for 0%%}"};
constexpr DataFileKind partyFile = {
    "res/party.dat", "every member is named '%%', has all statistics 0 and can never act"};
constexpr DataFileKind spellsFile = {
    "res/spells.dat",
    "no member knows any spell, and every spell is named '%%' with maximum level 0"};
constexpr DataFileKind roseFile = {"res/rose.dat",
                                   "every compass step is 0, so no monster ever moves"};

std::string shownPrefixOf(const fs::path& folder) {
  std::string text = folder.generic_string();
  if (text == "." || text == "./" || text.empty()) return "";
  return text.back() == '/' ? text : text + "/";
}

std::string missingMessage(const fs::path& folder, const std::string& relative,
                           const char* withoutIt) {
  std::string message = std::string("missing: ") + withoutIt;
  fs::path wanted = folder / relative;
  if (auto variant = caseVariant(wanted.parent_path(), wanted.filename().string())) {
    message += " (there is " + shown(*variant) + "; file names must match in case)";
  } else if (auto folderVariant = caseVariant(folder, fs::path(relative).begin()->string())) {
    message += " (there is a folder " + shown(*folderVariant) + "; names must match in case)";
  }
  return message;
}

void rewriteLineEndings(const fs::path& path, const std::string& name, FileBytes& file,
                        Report& report, std::ostream& notes) {
  if (file.cut) {
    report.error(name, 0, "not rewritten: the file is too large to rewrite safely");
    return;
  }
  fs::path backup = path;
  backup += ".bak";
  if (auto trouble = replaceFile(backup, file.bytes)) {
    report.error(name, 0, "not rewritten: no copy could be kept, " + *trouble);
    return;
  }
  std::string fixed = withCrLf(file.bytes);
  if (auto trouble = replaceFile(path, fixed)) {
    report.error(name, 0, "not rewritten: " + *trouble);
    return;
  }
  file.bytes = std::move(fixed);
  notes << name << ": rewritten with CR LF line endings; the old file is kept as " << name
        << ".bak\n";
}

DataFile loadDataFile(const LintOptions& options, const std::string& prefix,
                      const DataFileKind& kind, Report& report, std::ostream& notes) {
  const std::string name = prefix + kind.path;
  const fs::path path = options.folder / kind.path;
  DataFile missing;
  missing.name = name;
  FileBytes file = readFileBytes(path, Platform::maxFileBytes);
  switch (file.state) {
    case FileBytes::State::missing:
      report.error(name, 0, missingMessage(options.folder, kind.path, kind.withoutIt));
      return missing;
    case FileBytes::State::notAFile:
      report.error(name, 0, std::string("not a file: ") + kind.withoutIt);
      return missing;
    case FileBytes::State::unreadable:
      report.error(name, 0, std::string("cannot be read: ") + kind.withoutIt);
      return missing;
    case FileBytes::State::ok:
      break;
  }
  if (file.cut) {
    report.warning(name, 0,
                   "the file is larger than " + std::to_string(Platform::maxFileBytes >> 20) +
                       " MiB; the game reads only that much of it");
  }
  if (options.fixLineEndings && hasForeignLineEndings(file.bytes)) {
    rewriteLineEndings(path, name, file, report, notes);
  }
  checkLineEndings(name, file.bytes, report);
  return parseDataFile(name, file.bytes, report);
}

void checkMouseFile(const fs::path& folder, const std::string& prefix, Report& report) {
  const std::string relative = "drivers/mouse.bin";
  FileBytes file = readFileBytes(folder / relative, 0);
  const std::string name = prefix + relative;
  if (file.state == FileBytes::State::missing) {
    report.warning(name, 0,
                   missingMessage(folder, relative,
                                  "the game starts without it (it loads the file and never uses "
                                  "it)"));
  } else if (file.state != FileBytes::State::ok) {
    report.warning(name, 0, "cannot be read; the game starts without it");
  }
}

const char* usage =
    "Usage: duskwarren-lint [OPTIONS] [FOLDER]\n"
    "\n"
    "Checks a Duskwarren game folder (the current folder when none is given):\n"
    "the data files res/shops.dat, res/party.dat, res/spells.dat and\n"
    "res/rose.dat, drivers/mouse.bin and the tile files in tiles/.\n"
    "Prints one line per finding:\n"
    "  FILE:LINE: error: MESSAGE     the game will not play as the file means\n"
    "  FILE:LINE: warning: MESSAGE   likely a mistake, though the game runs\n"
    "(without :LINE when the finding concerns the whole file).\n"
    "\n"
    "Options:\n"
    "  --fix-line-endings  rewrite data files whose lines do not end in CR LF,\n"
    "                      keeping the old file as FILE.bak; nothing else changes\n"
    "  --strict            count warnings as errors in the exit status\n"
    "  -h, --help          show this help\n"
    "  --version           show the release\n"
    "\n"
    "Exit status: 0 no errors, 1 errors found, 2 the check could not run.\n";

}  // namespace

void lintFolder(const LintOptions& options, Report& report, std::ostream& notes) {
  const std::string prefix = shownPrefixOf(options.folder);
  const std::array<const DataFileKind*, 4> order = {&shopsFile, &partyFile, &spellsFile, &roseFile};
  for (const DataFileKind* kind : order) report.noteFile(prefix + kind->path);

  DataFile shops = loadDataFile(options, prefix, shopsFile, report, notes);
  DataFile party = loadDataFile(options, prefix, partyFile, report, notes);
  DataFile spells = loadDataFile(options, prefix, spellsFile, report, notes);
  DataFile rose = loadDataFile(options, prefix, roseFile, report, notes);
  if (shops.present) checkShops(shops, report);
  SpellBook book = checkSpells(spells, report);
  if (party.present) checkParty(party, book, report);
  if (rose.present) checkRose(rose, report);
  checkMouseFile(options.folder, prefix, report);
  checkTiles(options.folder, prefix, report);
}

int runLint(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  LintOptions options;
  bool strict = false;
  std::vector<std::string> folders;
  CLI::App app("", "duskwarren-lint");
  cli::setUp(app, usage);
  app.add_flag("--fix-line-endings", options.fixLineEndings);
  app.add_flag("--strict", strict);
  app.add_option("folder", folders);
  if (auto done = cli::parse(app, args, out, err)) return *done;
  if (folders.size() > 1) {
    err << "duskwarren-lint: one game folder at a time\n" << usage;
    return 2;
  }
  if (!folders.empty()) options.folder = folders.front();
  try {
    std::error_code ec;
    if (!fs::is_directory(options.folder, ec)) {
      err << "duskwarren-lint: " << options.folder.string()
          << (fs::exists(options.folder, ec) ? ": not a folder\n" : ": no such folder\n");
      return 2;
    }
    Report report;
    lintFolder(options, report, err);
    report.finish();
    for (const Finding& finding : report.findings()) out << formatFinding(finding) << "\n";
    // The count comes on a clean folder too, so a check that found nothing
    // says so.
    err << "duskwarren-lint: " << report.errorCount() << " error(s), " << report.warningCount()
        << " warning(s)\n";
    bool failed = report.errorCount() > 0 || (strict && report.warningCount() > 0);
    return failed ? 1 : 0;
  } catch (const std::exception& trouble) {
    err << "duskwarren-lint: cannot check " << options.folder.string() << ": " << trouble.what()
        << "\n";
    return 2;
  }
}

}  // namespace dw::lint
