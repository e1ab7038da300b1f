// The child level's file objects "!SSDSC" and "!SSN", byte for byte.
#include "editor/objects/hier_files.h"
#include "editor/shell/textfiles.h"
#include "tests/objects/hier_fixture.h"

#include <gtest/gtest.h>

namespace {

using namespace hier_test;

std::string Long(int32_t v)
{
    std::string b;
    for (int i = 0; i < 4; ++i) b.push_back(static_cast<char>((static_cast<uint32_t>(v) >> (8 * i)) & 0xFF));
    return b;
}

std::string Field(const std::string& text, size_t width)
{
    std::string f = text.substr(0, width);
    f.resize(width, ' ');
    return f;
}

// One "!SSN" record as the format lays it out.
std::string NetRecord(int32_t net, const std::string& name, const std::string& label)
{
    return Long(net) + Field(name, 15) + Field(label, 24) + std::string(1, '\0') + std::string(3, '\0');
}

class HierFiles : public HierTest {
protected:
    void SetUp() override
    {
        HierTest::SetUp();
        Enter(kSub);
        a = N_CreateNet(0, 5, "A");
        b = N_CreateNet(0, 5, "B");
    }
    static void Put(const std::string& name, const std::string& bytes)
    {
        const int32_t id = F_CreateFile(0, name.c_str());
        F_Write(id, bytes.data(), static_cast<int32_t>(bytes.size()));
    }
    static std::string Bytes(const std::string& name)
    {
        const int32_t id = OM_FindName(DB_FileMap(), name.c_str());
        if (id == 0) return "<none>";
        std::string bytes(static_cast<size_t>(F_GetLength(id)), '\0');
        F_Seek(id, 0, 0);
        F_Read(id, bytes.data(), static_cast<int32_t>(bytes.size()));
        return bytes;
    }
    int32_t a = 0, b = 0;
};

TEST_F(HierFiles, NamesTakeTheLastTwoDigitsOfTheLevel)
{
    EXPECT_EQ(SubHierObjectName("!SSN", 7), "!SSN07");
    EXPECT_EQ(SubHierObjectName("!SSDSC", 23), "!SSDSC23");
    EXPECT_EQ(SubHierObjectName("!SSDSC", 123), "!SSDSC23");
}

TEST_F(HierFiles, NetRecordsAreReadByLengthRoundedHalfEven)
{
    struct Case {
        const char* name;
        std::string bytes;
        int32_t status;
        size_t records;
        bool objectStays;
    };
    const std::string r1 = NetRecord(a, "A", "In A"), r2 = NetRecord(b, "B", "");
    const Case cases[] = {
        {"94 bytes: two records", r1 + r2, 0, 2, true},
        {"70 bytes: one record, the rest ignored", r1 + r2.substr(0, 23), 0, 1, true},
        {"71 bytes: the second read is short", r1 + r2.substr(0, 24), 1, 0, false},
        {"a stale net in the second record", r1 + NetRecord(99, "GONE", ""), 1, 0, false},
        {"length 0", "", 0, 0, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Put("!SSN02", c.bytes);
        int32_t status = 7;
        std::vector<SubHierNetRec> nets{SubHierNetRec{}};
        ReadSubHierNets(status, nets);
        EXPECT_EQ(status, c.status);
        EXPECT_EQ(nets.size(), c.records);
        EXPECT_EQ(HasFile("!SSN02"), c.objectStays);
        if (OM_FindName(DB_FileMap(), "!SSN02")) OM_Delete(DB_FileMap(), OM_FindName(DB_FileMap(), "!SSN02"));
    }
}

TEST_F(HierFiles, ANetRenamedInTheChildIsFollowedAndWrittenBackWithItsNewName)
{
    Put("!SSN02", NetRecord(a, "A", "In A"));
    O_Rename(N_Net(a), "RENAMED");
    int32_t status = 1;
    std::vector<SubHierNetRec> nets;
    ReadSubHierNets(status, nets);
    ASSERT_EQ(status, 0);
    ASSERT_EQ(nets.size(), 1u);
    EXPECT_EQ(nets[0].NetName, "RENAMED");
    EXPECT_EQ(nets[0].Label, Field("In A", 24));
    WriteSubHierNets(status, nets);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(Bytes("!SSN02"), NetRecord(a, "RENAMED", "In A"));
}

TEST_F(HierFiles, WritingCutsAndPadsTheFieldsToTheirWidths)
{
    SubHierNetRec rec;
    rec.NetId = b;
    rec.NetName = "A_NAME_LONGER_THAN_15";
    rec.Label = "short";
    int32_t status = 1;
    WriteSubHierNets(status, {rec});
    EXPECT_EQ(status, 0);
    EXPECT_EQ(Bytes("!SSN02"), NetRecord(b, "A_NAME_LONGER_T", "short"));
    EXPECT_EQ(Bytes("!SSN02").size(), 47u);

    SubHierDescRec desc;
    desc.Reserved = 0x01020304;
    desc.HierName = "SUB";
    desc.Description = std::string(30, 'd');
    WriteSubHierDesc(status, desc);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(Bytes("!SSDSC02"), Long(0x01020304) + Field("SUB", 15) + std::string(25, 'd'));
}

TEST_F(HierFiles, DescriptionReadsWholeRecordsAndDropsAShortObject)
{
    const std::string good = Long(5) + Field("SUB", 15) + Field("Adder", 25);
    Put("!SSDSC02", good);
    int32_t status = 1;
    SubHierDescRec desc;
    ReadSubHierDesc(status, desc);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(desc.Reserved, 5);
    EXPECT_EQ(desc.HierName, Field("SUB", 15));
    EXPECT_EQ(desc.Description, Field("Adder", 25));
    EXPECT_TRUE(HasFile("!SSDSC02"));

    OM_Delete(DB_FileMap(), OM_FindName(DB_FileMap(), "!SSDSC02"));
    Put("!SSDSC02", good.substr(0, 43));
    ReadSubHierDesc(status, desc);
    EXPECT_EQ(status, 1);
    EXPECT_EQ(desc.HierName, std::string(15, ' '));
    EXPECT_FALSE(HasFile("!SSDSC02"));

    ReadSubHierDesc(status, desc);
    EXPECT_EQ(status, 1);
}

TEST_F(HierFiles, AnEmptyNetListRemovesTheObject)
{
    Put("!SSN02", NetRecord(a, "A", ""));
    int32_t status = 1;
    WriteSubHierNets(status, {});
    EXPECT_EQ(status, 0);
    EXPECT_FALSE(HasFile("!SSN02"));
}

TEST_F(HierFiles, AFailedWriteLeavesTheOldObject)
{
    const std::string old = NetRecord(a, "A", "");
    Put("!SSN02", old);
    SubHierNetRec rec;
    rec.NetId = b;
    rec.NetName = "B";
    testing_hooks::LimitFileObjectWrites(20);
    int32_t status = 0;
    WriteSubHierNets(status, {rec});
    testing_hooks::LimitFileObjectWrites(-1);
    EXPECT_EQ(status, 1);
    EXPECT_EQ(Bytes("!SSN02"), old);
}

}  // namespace
