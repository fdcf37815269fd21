// Conformance of <tapi.h> with the published tables of the platform header:
// every declared constant has the published value, every declared structure
// the published size, every declared member the published offset and size,
// and no published member of a declared structure is missing.
#include "DeclaredLayout.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>

namespace {

std::vector<std::vector<std::string>> readTable(const std::string &file)
{
    std::ifstream in(std::string(DIALWERK_TAPI_TABLES) + "/" + file);
    EXPECT_TRUE(in.good()) << "cannot open " << file;
    std::vector<std::vector<std::string>> rows;
    std::string line;
    std::getline(in, line); // header
    while (std::getline(in, line)) {
        std::vector<std::string> cells;
        std::stringstream cellStream(line);
        std::string cell;
        while (std::getline(cellStream, cell, '\t'))
            cells.push_back(cell);
        rows.push_back(cells);
    }
    return rows;
}

struct PublishedField {
    size_t offset;
    size_t size;
};

using FieldKey = std::pair<std::string, std::string>;

std::map<FieldKey, PublishedField> publishedFields()
{
    std::map<FieldKey, PublishedField> fields;
    for (const auto &row : readTable("layouts.tsv")) {
        if (row.size() < 4)
            continue;
        fields[{row[0], row[1]}] = {std::stoul(row[2]), std::stoul(row[3])};
    }
    return fields;
}

// A program written for TAPI 3.0 declares the forward record without the two
// address-type members that the 3.1 header appends, so these two structures
// are accepted at their 3.0 sizes.
const std::map<std::string, size_t> tapi30Sizes = {{"LINEFORWARD", 24}, {"LINEFORWARDLIST", 32}};
const std::set<FieldKey> tapi31Members = {{"LINEFORWARD", "dwCallerAddressType"},
                                          {"LINEFORWARD", "dwDestAddressType"}};
const std::map<FieldKey, size_t> tapi30MemberSizes = {{{"LINEFORWARDLIST", "ForwardList"}, 24}};

} // namespace

TEST(Declarations, ConstantsHavePublishedValues)
{
    std::map<std::string, uint32_t> published;
    for (const auto &row : readTable("constants.tsv"))
        published[row[0]] = static_cast<uint32_t>(std::stoul(row[1], nullptr, 16));
    ASSERT_FALSE(published.empty());

    for (const auto &constant : declaredConstants()) {
        auto it = published.find(constant.name);
        ASSERT_NE(it, published.end()) << constant.name << " is not a published constant";
        EXPECT_EQ(constant.value, it->second) << constant.name;
    }
}

TEST(Declarations, StructuresHavePublishedLayouts)
{
    const auto published = publishedFields();
    ASSERT_FALSE(published.empty());

    std::set<std::string> declaredStructures;
    std::set<FieldKey> declaredMembers;
    for (const auto &field : declaredFields()) {
        declaredStructures.insert(field.structure);
        declaredMembers.insert({field.structure, field.field});
        const FieldKey key{field.structure, field.field};
        auto it = published.find(key);
        ASSERT_NE(it, published.end()) << field.structure << "::" << field.field << " is not published";

        if (key.second == "(sizeof)") {
            auto tapi30 = tapi30Sizes.find(field.structure);
            const size_t expected = tapi30 != tapi30Sizes.end() ? tapi30->second : it->second.size;
            EXPECT_EQ(field.size, expected) << "sizeof " << field.structure;
            continue;
        }
        EXPECT_EQ(field.offset, it->second.offset) << "offset of " << field.structure << "::" << field.field;
        auto tapi30 = tapi30MemberSizes.find(key);
        const size_t expected = tapi30 != tapi30MemberSizes.end() ? tapi30->second : it->second.size;
        EXPECT_EQ(field.size, expected) << "size of " << field.structure << "::" << field.field;
    }

    // Every published member of a declared structure must be declared too.
    for (const auto &[key, layout] : published) {
        if (!declaredStructures.count(key.first) || key.second.front() == '(' || tapi31Members.count(key))
            continue;
        EXPECT_TRUE(declaredMembers.count(key)) << key.first << "::" << key.second << " is not declared";
    }
}

TEST(Declarations, CoversTheStructuresTheDialerUses)
{
    std::set<std::string> declared;
    for (const auto &field : declaredFields())
        declared.insert(field.structure);
    for (const char *name :
         {"LINEDEVCAPS", "LINEDEVSTATUS", "LINEADDRESSCAPS", "LINEADDRESSSTATUS", "LINECALLINFO", "LINECALLSTATUS",
          "LINECALLLIST", "LINECALLPARAMS", "LINEMESSAGE", "LINEINITIALIZEEXPARAMS", "LINEFORWARD",
          "LINEFORWARDLIST", "LINEAGENTSTATUS", "LINEAGENTGROUPENTRY", "LINEAGENTGROUPLIST",
          "LINEAGENTACTIVITYENTRY", "LINEAGENTACTIVITYLIST", "LINETRANSLATEOUTPUT", "LINEDIALPARAMS", "VARSTRING",
          "PHONECAPS", "PHONESTATUS", "PHONEBUTTONINFO", "PHONEMESSAGE", "PHONEINITIALIZEEXPARAMS", "FLOWSPEC"})
        EXPECT_TRUE(declared.count(name)) << name;
}
