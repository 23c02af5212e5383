#include <string>

#include "libcfg/file_test_util.h"

using namespace std::string_literals;

namespace {

using cfg_test = file_test;
const std::string w = "load_config: WARNING - ";

std::string numbers(int from, int to) {
  std::string s;
  for (int i = from; i <= to; ++i) s += " " + std::to_string(i);
  return s;
}

std::string types(int n) {
  std::string s;
  for (int i = 0; i < n; ++i) s += "type t" + std::to_string(i) + "\nclass c\n";
  return s;
}

TEST_F(cfg_test, ReadsDefaultsAndTypeBlocks) {
  EXPECT_EQ(load_cfg("# catalog\nmode p\ncopy \"(c) notice\"\npkg kdzdriver\nsizes 8\nsizes 16 32\n"
                     "irqs 3 4\nioas-primary 300 2A8\nbus at\ncan_dce yes\nnum_waits 3\n"
                     "type \"Board Sixteen Port X\"\nclass \"Sixteen port intelligent\"\n"
                     "cp_name cpx\nt_code 65546\nsizes 64\nnum_ports 16\nirqs\n"
                     "type small\nclass\nextended_mem y\nmode i\n"
                     "type small\nclass Eight\ncan_dce Y\nbus MC\nnum_ports 8\nioas-extras 0x1\n"),
            "");
  EXPECT_EQ(config.modes, 3);
  EXPECT_STREQ(config.copy, "(c) notice");
  EXPECT_STREQ(config.pkg, "kdzdriv");
  EXPECT_EQ(dump(def), "|||0 2 3 1| 8 16 32| 3 4| 300 2a8|");
  ASSERT_EQ(config.ntypes, 3);
  EXPECT_EQ(config.nclasses, 2);
  const char* dumps[] = {"Board Sixteen P|Sixteen port intell|cpx|10 6 3 1| 64|| 300 2a8|",
                         "small|||0 3 3 1| 8 16 32| 3 4| 300 2a8|",
                         "small|Eight||0 0 3 2| 8 16 32| 3 4| 300 2a8| 0"};
  const int shows[] = {1, 2, 1};
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(dump(config.types[i]), dumps[i]);
    EXPECT_EQ(bclass_menu[i].show, shows[i]);
    // The tables point into the type records.
    EXPECT_EQ(btype_tags[i].name, config.types[i].name);
    EXPECT_EQ(btype_tags[i].code, i);
    EXPECT_EQ(bclass_menu[i].label, config.types[i].class_);
  }
  EXPECT_EQ(btype_tags[3].name, null);
  EXPECT_EQ(bclass_menu[3].show, 0);
}

TEST_F(cfg_test, WarnsAndGoesOn) {
  const struct {
    std::string text, out;
  } cases[] = {
      {"speed 9600\nmode x p Y\n", w + "unknown parameter: speed.\n" + w +
                                       "invalid driver mode: Y.\n" + w +
                                       "invalid driver mode: x.\n"},
      {"type a\nirqs 3 16 -1 5\nbus isa\n",
       w + "invalid irq: 16.\n" + w + "invalid irq: -1.\n" + w + "invalid bus type: isa.\n"},
      {"copy\npkg\ntype\nbus\nnum_ports\nmode\n",
       w + "missing value: copy.\n" + w + "missing value: pkg.\n" + w + "missing value: type.\n" +
           w + "missing value: bus.\n" + w + "missing value: num_ports.\n"},
      {"class x\ncp_name y\nt_code 3\nclass\ncp_name\n",
       w + "no board type yet: class.\n" + w + "no board type yet: cp_name.\n" + w +
           "no board type yet: t_code.\n" + w + "no board type yet: class.\n" + w +
           "missing value: cp_name.\n"},
      {"sizes" + numbers(1, 10) + "\nsizes" + numbers(11, 18) + "\n",
       w + "too many values: 17.\n" + w + "too many values: 18.\n"},
      {"type a\nirqs" + numbers(0, 15) + " 99 7\n",
       w + "invalid irq: 99.\n" + w + "too many values: 7.\n"},
      // The block of a refused type is dropped silently; the catalog-wide lines apply.
      {types(13) + "type fourteenth_long_name\nclass C\nbus\nirqs 99\nsizes" + numbers(1, 20) +
           "\nfoo\nmode q\ntype\ntype x\n",
       w + "too many board types: fourteenth_long_name.\n" + w + "unknown parameter: foo.\n" + w +
           "invalid driver mode: q.\n" + w + "missing value: type.\n" + w +
           "too many board types: x.\n"},
  };
  for (const auto& c : cases) EXPECT_EQ(load_cfg(c.text), c.out) << c.text;
}

TEST_F(cfg_test, NeverStoresBeyondCapacity) {
  load_cfg(types(20) + "sizes" + numbers(1, 40) + "\n");
  ASSERT_EQ(config.ntypes, MAX_TYPES);
  EXPECT_EQ(config.nclasses, MAX_TYPES);
  EXPECT_EQ(btype_tags[MAX_TYPES].name, null);
  EXPECT_EQ(bclass_menu[MAX_TYPES].show, 0);
  EXPECT_EQ(dump(config.types[MAX_TYPES]), "|||0 0 0 0||||");
  EXPECT_EQ(dump(config.types[12]), "t12|c||0 0 0 0||||");

  load_cfg("type a\nsizes" + numbers(1, 40) + "\n");
  EXPECT_EQ(dump(config.types[0].sizes, " %d"), numbers(1, 16));
}

TEST_F(cfg_test, SurvivesHostileBytes) {
  std::string bytes;
  for (int i = 0; i < 40000; ++i) bytes += static_cast<char>(i * 7919 % 256);
  const std::string inputs[] = {
      bytes,
      "type " + std::string(10000, 'x') + "\nsizes" + numbers(1, 3000) + "\n",
      "type a\0b\nclass c\0d\ncopy \""s + std::string(10000, 'q'),
  };
  for (const auto& text : inputs) {
    EXPECT_TRUE(only_warnings(load_cfg(text), w));
    EXPECT_LE(config.ntypes, MAX_TYPES);
  }
  EXPECT_STREQ(config.types[0].name, "a");
  EXPECT_STREQ(config.types[0].class_, "c");
  EXPECT_EQ(config.copy, std::string(249, 'q'));  // the first piece of the long line
}

TEST_F(cfg_test, ReportsMissingCatalog) {
  testing::internal::CaptureStderr();
  EXPECT_EQ(load_config(prog.c_str(), "nocfg"), nullptr);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            prog + ": load_config: fopen(" + dir + "/nocfg) No such file or directory\n");
}

TEST_F(cfg_test, ListsCatalog) {
  load_cfg(
      "mode a\ncopy notice\npkg kdz\ntype abcdefghijklmnop\ncp_name cpa\nt_code 7\nbus at\n"
      "extended_mem yes\nsizes 8 16\nirqs 3 15\nioas-primary 300 2a8\nioas-extras 100\ntype b\n");
  testing::internal::CaptureStdout();
  print_config();
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "\nmode: polling interrupt \ncopy: notice\npkg: kdz\n"
            "\n    type    code   cp_name          bus range    dp\n"
            "0)  abcdefghijklmno 7    cpa              AT 16 Mbyte  8 16\t  3 15\n"
            "\t\t 300 2a8 -  100\n"
            "1)  b               0                     MC  1 Mbyte\t\n\t\t - \n");
}

}  // namespace
