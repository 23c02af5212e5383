// Changes from the command line: what a call reads, and what each change makes of a set or
// why it is refused, on the catalog of edit_test_files.h.
#include <string>
#include <vector>

#include "edit/script.h"
#include "tests/support/edit_test_files.h"

namespace kdz {

namespace {

using namespace edit_test;

// Runs parse_script over `words` (argv[1] on); the words live as long as the script reads them.
struct parsed {
  std::vector<std::string> words;
  std::vector<char*> argv;
  script s{};
  std::string why;
  bool ok = false;

  explicit parsed(std::vector<std::string> w) : words(std::move(w)) {
    argv.push_back(const_cast<char*>("editpar"));
    for (std::string& word : words) argv.push_back(word.data());
    ok = parse_script(static_cast<int>(argv.size()), argv.data(), s, why);
  }
};

// The script in one line: each change as "op arg key=value ...", numbers in decimal.
std::string changes_of(const script& s) {
  std::string text;
  for (int i = 0; i < s.nchanges; ++i) {
    const script_change& c = s.changes[i];
    text += fmt::format("{}{}", i > 0 ? "; " : "", c.op);
    if (c.op == 'a') text += fmt::format(" {}", c.type);
    if (c.op == 'd' || c.op == 'e') text += fmt::format(" {}", c.board);
    if (c.op == 'M') text += fmt::format(" {}", c.mode);
    for (int k = 0; k < c.nkeys; ++k) {
      const script_key& key = c.keys[k];
      if (key.key == KEY_BUS) {
        text += fmt::format(" bus={}", key.text);
      } else {
        text += fmt::format(" {}={}", key.key, key.value);
      }
    }
  }
  return text;
}

std::vector<std::string> words_of(const std::string& line) {
  std::vector<std::string> words;
  for (std::size_t at = 0; at < line.size();) {
    const std::size_t end = std::min(line.find(' ', at), line.size());
    words.push_back(line.substr(at, end - at));
    at = end + 1;
  }
  return words;
}

TEST(ParseScript, ReadsEachKeyInItsOwnBase) {
  // Keys are shown by number: 0 size, 1 irq, 2 ioa, 3 dpa.
  const struct {
    const char* call;
    const char* changes;  // as changes_of writes them, or the refusal
  } cases[] = {
      {"-a at8 ioa=10 size=10 dpa=10 irq=10", "a at8 2=16 0=10 3=16 1=10"},
      {"-e 2 ioa=ffff size=+16 irq=-0", "e 2 2=65535 0=16 1=0"},
      {"-a at8 bus=mc -d 1 -M polling -M interrupt", "a at8 bus=mc; d 1; M 2; M 1"},
      {"", "no change"},
      {"-d +1", "-d +1: not a board number"},
      {"-d", "-d needs a board number"},
      {"-M", "-M needs interrupt or polling"},
      {"-ee 1 irq=5", "-ee: not a change (-a, -d, -e or -M)"},
      {"-d 1 irq=5", "irq=5: not a key of -d"},
      {"-e 1 IRQ=5", "IRQ=5: not a key of -e"},
      {"-a at8 bus=sbus", "bus=sbus: the bus is at or mc"},
      {"-a at8 irq=-", "irq=-: not a decimal number"},
      // A number must fit its field as typed: never cut to its low bits (more in the goldens).
      {"-e 1 irq=65535 size=000000000000000000000016", "e 1 1=65535 0=16"},
      {"-e 1 irq=65536", "irq=65536: does not fit in 16 bits (0 to 65535)"},
      {"-e 1 size=-16", "size=-16: does not fit in 16 bits (0 to 65535)"},
      {"-a at8 dpa=0ffffffff", "a at8 3=-1"},
      {"-a at8 dpa=100000000", "dpa=100000000: does not fit in 32 bits (0 to ffffffff)"},
      {"-d 2147483647 -d 01", "d 2147483647; d 1"},
      {"-d 2147483648", "-d 2147483648: does not fit in 31 bits (0 to 2147483647)"},
  };
  for (const auto& c : cases) {
    const parsed p(words_of(c.call));
    EXPECT_EQ(p.ok ? changes_of(p.s) : p.why, c.changes) << c.call;
  }
}

TEST(ParseScript, HoldsSixtyFourChanges) {
  std::vector<std::string> words;
  for (int i = 0; i < MAX_CHANGES; ++i) words.insert(words.end(), {"-d", "1"});
  EXPECT_TRUE(parsed(words).ok);
  words.insert(words.end(), {"-d", "1"});
  EXPECT_EQ(parsed(words).why, "more than 64 changes in one call");
}

constexpr char three_boards[] =
    "mode interrupt\nbus at\n"
    "type at8\nsize 32\nirq 5\nioa 300\ndpa d0000\n"
    "type one\nsize 16\nirq 7\nioa 310\ndpa d8000\n"
    "type eisa\nsize 64\nirq 0\nioa 0\ndpa 100000\n";
constexpr char polled_at8[] = "mode polling\nbus at\ntype at8\nsize 16\nioa 80\ndpa c8000\n";
constexpr char polled_mc[] = "mode polling\nbus mc\ntype mc8\nsize 16\nioa 1000\ndpa c8000\n";

// Applies `call` as editpar does: to `par`, or to a fresh set when there is none.
std::string apply(const char* par, const char* call, const char* cfg = catalog_text) {
  const catalog cat = read_catalog(cfg);
  const parsed p(words_of(call));
  EXPECT_TRUE(p.ok) << call << ": " << p.why;
  if (!p.ok) return "";
  board_set set = par != nullptr ? read_set(cat, par) : start_script_set(p.s);
  session run(cat, set, "");
  if (set.params.mode == 0) set_mode_unasked(run.ed);
  std::string why;
  const bool ok = apply_script(run.ed, p.s, par == nullptr, why);
  EXPECT_EQ(run.written(), "") << call;  // a script neither asks nor lists
  return ok ? summary(cat, set.params) : why;
}

TEST(ApplyScript, ChangesAsTheMenusWould) {
  const struct {
    const char* par;  // null: "par" is missing
    const char* call;
    const char* result;  // the set as summary() gives it, or the refusal
  } cases[] = {
      // A new set: its bus from bus=, its mode the interrupt mode the menus would ask.
      {nullptr, "-a at8 bus=at ioa=300 size=16 dpa=d0000 irq=5", "m1 b1 | at8 16 5 300 d0000"},
      // The MC size rule: a board with an I/O address gets 16 Kbytes, and size= must say so.
      {nullptr, "-a mc8 ioa=1000 dpa=d0000 irq=3", "m1 b2 | mc8 16 3 1000 d0000"},
      // Adding: the extras are accepted, a single value needs no key, a wrong one is named.
      {polled_at8, "-a at8 ioa=320 size=16 dpa=d4000",
       "m2 b1 | at8 16 0 80 c8000 | at8 16 0 320 d4000"},
      {polled_at8, "-a one dpa=d4000", "m2 b1 | at8 16 0 80 c8000 | one 16 0 310 d4000"},
      {polled_at8, "-a one ioa=300 dpa=d4000",
       "I/O address 300 is not offered by type one (310 only)"},
      // Deleting and modifying name boards from 1.
      {three_boards, "-d 3 -d 1", "m1 b1 | one 16 7 310 d8000"},
      {three_boards, "-d 0", "there is no board 0: the set has 3 boards"},
      {three_boards, "-d 1 -d 1 -d 1 -d 1", "there is no board 1: the set has no boards"},
      {three_boards, "-d 1 -d 1 -e 2 irq=5", "there is no board 2: the set has 1 board"},
      // The last board gone, the bus is unset: the first board added chooses it again.
      {three_boards, "-d 1 -d 1 -d 1 -a mc8 ioa=1000 size=16 dpa=d0000 irq=3",
       "m1 b2 | mc8 16 3 1000 d0000"},
      {three_boards, "-e 3 irq=10 -e 1 irq=3",
       "m1 b1 | at8 32 3 300 d0000 | one 16 7 310 d8000 | eisa 64 10 0 100000"},
      {three_boards, "-e 2 size=32", "size 32: its type offers one size (it stays 16)"},
      {three_boards, "-e 1 size=16 dpa=d4000",
       "m1 b1 | at8 16 5 300 d4000 | one 16 7 310 d8000 | eisa 64 0 0 100000"},
      {polled_mc, "-e 1 dpa=d0000",
       "there are no parameters to modify: the set is polled on the mc bus"},
      // Switching to interrupt asks the irqs a later -e gives, before any board is added.
      {polled_at8, "-M interrupt -e 1 irq=7", "m1 b1 | at8 16 7 80 c8000"},
      {three_boards, "-M polling -e 1 ioa=80",
       "m2 b1 | at8 32 5 80 d0000 | one 16 7 310 d8000 | eisa 64 0 0 100000"},
  };
  for (const auto& c : cases) EXPECT_EQ(apply(c.par, c.call), c.result) << c.call;
}

TEST(ApplyScript, ValuesTakenUnaskedAreTheStoredOnes) {
  // Single values beyond 16 bits: the questions take them unasked, the fields keep 16 bits.
  constexpr char big[] =
      "mode interrupt\ntype big\nclass big\nbus at\nsizes 65552\nirqs 5\nioas-primary 10300\n";
  const struct {
    const char* call;
    const char* result;
  } cases[] = {
      {"-a big size=16 ioa=300 irq=5 dpa=d0000", "m1 b1 | big 16 5 300 d0000"},
      {"-a big size=32", "size 32 is not offered by type big (65552 only: it gets 16)"},
      {"-a big ioa=10", "I/O address 10 is not offered by type big (10300 only: it gets 300)"},
  };
  for (const auto& c : cases) EXPECT_EQ(apply(nullptr, c.call, big), c.result) << c.call;
}

TEST(ApplyScript, RefusalIsOneLineOfAtMost511Characters) {
  const std::string name(700, 'T');
  const std::string why = apply(three_boards, ("-a " + name).c_str());
  EXPECT_EQ(why, ("type " + name + " is not in the catalog").substr(0, MAX_WHY));
}

}  // namespace

}  // namespace kdz
