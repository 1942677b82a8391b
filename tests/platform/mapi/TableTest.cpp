// Tables: columns, the cursor, restrictions, sorting, HrQueryAllRows and the row-size limit.
#include "tests/platform/mapi/MapiTestEnv.h"

#include "platform/base/ComPtr.h"
#include "platform/mapi/MemoryTable.h"

#include <functional>

using namespace mapitest;
using winplat::mapi::MemoryTable;
using winplat::mapi::PropValue;
using winplat::mapi::Row;
using winplat::mapi::TableOptions;

namespace
{

constexpr ULONG PR_SIZE_TEST = PROP_TAG(PT_LONG, 0x6800);
constexpr ULONG PR_BLOB_TEST = PROP_TAG(PT_BINARY, 0x6801);

// Four rows: name, a number, a flag; the last row has no number.
class TableTest : public MapiTest
{
protected:
    void SetUp() override
    {
        MapiTest::SetUp();
        auto rows = std::make_shared<std::vector<Row>>();
        auto add = [&](const char16_t* name, std::optional<LONG> n, bool flag)
        {
            Row r{PropValue::Wide(PR_DISPLAY_NAME_W, name)};
            if (n)
                r.push_back(PropValue::Long(PR_SIZE_TEST, *n));
            r.push_back(PropValue::Bool(PR_DEFAULT_STORE, flag));
            rows->push_back(std::move(r));
        };
        add(u"Gamma", 30, false);
        add(u"alpha", 10, true);
        add(u"Beta", 20, false);
        add(u"delta", std::nullopt, false);
        TableOptions options;
        options.columns = {PR_DISPLAY_NAME_A, PR_SIZE_TEST};
        ASSERT_EQ(MemoryTable::Create(std::move(rows), std::move(options), &m_table), S_OK);
    }
    void TearDown() override
    {
        m_table.Release();
        MapiTest::TearDown();
    }

    std::vector<std::string> Read(LONG count = 100)
    {
        RowsHolder rows;
        EXPECT_EQ(m_table->QueryRows(count, 0, &rows.rows), S_OK);
        std::vector<std::string> out;
        for (ULONG i = 0; rows.rows && i < rows.rows->cRows; ++i)
            out.push_back(rows.rows->aRow[i].lpProps[0].Value.lpszA);
        return out;
    }

    CComPtr<IMAPITable> m_table;
};

using Names = std::vector<std::string>;

TEST_F(TableTest, QueryRowsWalksOneRowAtATimeToAnEmptySet)
{
    EXPECT_EQ(Read(1), Names{"Gamma"});
    EXPECT_EQ(Read(1), Names{"alpha"});
    EXPECT_EQ(Read(2), (Names{"Beta", "delta"}));
    EXPECT_EQ(Read(1), Names{});
    EXPECT_EQ(Read(1), Names{});
    LONG sought = 0;
    ASSERT_EQ(m_table->SeekRow(BOOKMARK_BEGINNING, 0, &sought), S_OK);
    EXPECT_EQ(Read(1), Names{"Gamma"});
}

TEST_F(TableTest, SeekRowStopsAtTheEndsAndSaysHowFarItWent)
{
    LONG sought = 0;
    ASSERT_EQ(m_table->SeekRow(BOOKMARK_BEGINNING, 10, &sought), S_OK);
    EXPECT_EQ(sought, 4);
    ASSERT_EQ(m_table->SeekRow(BOOKMARK_CURRENT, -1, &sought), S_OK);
    EXPECT_EQ(sought, -1);
    EXPECT_EQ(Read(1), Names{"delta"});
    ASSERT_EQ(m_table->SeekRow(BOOKMARK_END, -10, &sought), S_OK);
    EXPECT_EQ(sought, -4);
    BOOKMARK mark = 0;
    ASSERT_EQ(m_table->SeekRow(BOOKMARK_BEGINNING, 2, nullptr), S_OK);
    ASSERT_EQ(m_table->CreateBookmark(&mark), S_OK);
    ASSERT_EQ(m_table->SeekRow(BOOKMARK_BEGINNING, 0, nullptr), S_OK);
    ASSERT_EQ(m_table->SeekRow(mark, 0, nullptr), S_OK);
    EXPECT_EQ(Read(1), Names{"Beta"});
    ASSERT_EQ(m_table->FreeBookmark(mark), S_OK);
    EXPECT_EQ(m_table->SeekRow(mark, 0, nullptr), MAPI_E_INVALID_BOOKMARK);
}

TEST_F(TableTest, MissingValueIsAnErrorValueUnderTheColumnsIdentifier)
{
    ASSERT_EQ(m_table->SeekRow(BOOKMARK_BEGINNING, 3, nullptr), S_OK);
    RowsHolder rows;
    ASSERT_EQ(m_table->QueryRows(1, 0, &rows.rows), S_OK);
    ASSERT_EQ(rows.rows->cRows, 1u);
    const SPropValue& v = rows.rows->aRow[0].lpProps[1];
    EXPECT_EQ(v.ulPropTag, PROP_TAG(PT_ERROR, 0x6800));
    EXPECT_EQ(v.Value.err, MAPI_E_NOT_FOUND);
}

TEST_F(TableTest, SetColumnsChoosesTheColumnsAndTheirTextType)
{
    SizedSPropTagArray(2, cols) = {2, {PR_DEFAULT_STORE, PR_DISPLAY_NAME_W}};
    ASSERT_EQ(m_table->SetColumns(reinterpret_cast<LPSPropTagArray>(&cols), TBL_BATCH), S_OK);
    RowsHolder rows;
    ASSERT_EQ(m_table->QueryRows(2, 0, &rows.rows), S_OK);
    ASSERT_EQ(rows.rows->cRows, 2u);
    EXPECT_EQ(rows.rows->aRow[1].cValues, 2u);
    EXPECT_EQ(rows.rows->aRow[1].lpProps[0].ulPropTag, PR_DEFAULT_STORE);
    EXPECT_TRUE(rows.rows->aRow[1].lpProps[0].Value.b);
    EXPECT_EQ(Narrow(rows.rows->aRow[1].lpProps[1].Value.lpszW), "alpha");
    EXPECT_EQ(m_table->SetColumns(nullptr, 0), MAPI_E_INVALID_PARAMETER);
}

// Restrictions by kind, each with the rows it must leave.
struct RestrictCase
{
    const char* label;
    std::function<void(SRestriction&, std::vector<SRestriction>&, std::vector<SPropValue>&)> build;
    Names expected;
};

class RestrictTest : public TableTest, public ::testing::WithParamInterface<RestrictCase>
{
};

TEST_P(RestrictTest, LeavesTheMatchingRowsInOrder)
{
    SRestriction res{};
    std::vector<SRestriction> children(4);
    std::vector<SPropValue> values(4);
    GetParam().build(res, children, values);
    ASSERT_EQ(m_table->Restrict(&res, 0), S_OK);
    EXPECT_EQ(Read(), GetParam().expected);
    ULONG count = 0;
    ASSERT_EQ(m_table->GetRowCount(0, &count), S_OK);
    EXPECT_EQ(count, GetParam().expected.size());
    // No restriction: every row again.
    ASSERT_EQ(m_table->Restrict(nullptr, 0), S_OK);
    EXPECT_EQ(Read().size(), 4u);
}

void Property(SRestriction& r, SPropValue& v, ULONG relop, ULONG tag)
{
    r.rt = RES_PROPERTY;
    r.res.resProperty.relop = relop;
    r.res.resProperty.ulPropTag = tag;
    r.res.resProperty.lpProp = &v;
    v.ulPropTag = tag;
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, RestrictTest,
    ::testing::Values(RestrictCase{"BooleanEqual",
                                   [](SRestriction& r, auto&, auto& v)
                                   {
                                       Property(r, v[0], RELOP_EQ, PR_DEFAULT_STORE);
                                       v[0].Value.b = TRUE;
                                   },
                                   {"alpha"}},
                      RestrictCase{"LongGreater",
                                   [](SRestriction& r, auto&, auto& v)
                                   {
                                       Property(r, v[0], RELOP_GT, PR_SIZE_TEST);
                                       v[0].Value.l = 15;
                                   },
                                   {"Gamma", "Beta"}},
                      RestrictCase{"MissingValueNeverMatches",
                                   [](SRestriction& r, auto&, auto& v)
                                   {
                                       Property(r, v[0], RELOP_NE, PR_SIZE_TEST);
                                       v[0].Value.l = 10;
                                   },
                                   {"Gamma", "Beta"}},
                      RestrictCase{"TextAcrossWidths",
                                   [](SRestriction& r, auto&, auto& v)
                                   {
                                       Property(r, v[0], RELOP_EQ, PR_DISPLAY_NAME_A);
                                       static char beta[] = "Beta";
                                       v[0].Value.lpszA = beta;
                                   },
                                   {"Beta"}},
                      RestrictCase{"Exists",
                                   [](SRestriction& r, auto&, auto&)
                                   {
                                       r.rt = RES_EXIST;
                                       r.res.resExist.ulPropTag = PR_SIZE_TEST;
                                   },
                                   {"Gamma", "alpha", "Beta"}},
                      RestrictCase{"NotAndOr",
                                   [](SRestriction& r, auto& c, auto& v)
                                   {
                                       // NOT (size < 25 AND NOT default)
                                       r.rt = RES_NOT;
                                       r.res.resNot.lpRes = &c[0];
                                       c[0].rt = RES_AND;
                                       c[0].res.resAnd.cRes = 2;
                                       c[0].res.resAnd.lpRes = &c[1];
                                       Property(c[1], v[0], RELOP_LT, PR_SIZE_TEST);
                                       v[0].Value.l = 25;
                                       Property(c[2], v[1], RELOP_EQ, PR_DEFAULT_STORE);
                                       v[1].Value.b = FALSE;
                                   },
                                   {"Gamma", "alpha", "delta"}},
                      RestrictCase{"ContentIgnoringCase",
                                   [](SRestriction& r, auto&, auto& v)
                                   {
                                       r.rt = RES_CONTENT;
                                       r.res.resContent.ulFuzzyLevel =
                                           0x10001; // substring, any case
                                       r.res.resContent.ulPropTag = PR_DISPLAY_NAME_W;
                                       r.res.resContent.lpProp = &v[0];
                                       v[0].ulPropTag = PR_DISPLAY_NAME_W;
                                       static char16_t part[] = u"ELT";
                                       v[0].Value.lpszW = part;
                                   },
                                   {"delta"}}),
    [](const ::testing::TestParamInfo<RestrictCase>& info) { return info.param.label; });

TEST_F(TableTest, UnsupportedRestrictionIsRefusedNotIgnored)
{
    SRestriction sub{};
    sub.rt = RES_SUBRESTRICTION;
    EXPECT_EQ(m_table->Restrict(&sub, 0), MAPI_E_TOO_COMPLEX);
    SRestriction bad{};
    bad.rt = RES_PROPERTY;
    bad.res.resProperty.relop = RELOP_EQ;
    bad.res.resProperty.lpProp = nullptr;
    EXPECT_EQ(m_table->Restrict(&bad, 0), MAPI_E_INVALID_PARAMETER);
    // The table is left as it was.
    EXPECT_EQ(Read().size(), 4u);
}

TEST_F(TableTest, SortOrdersRowsAndPutsMissingValuesLast)
{
    SSortOrderSet sort{1, 0, 0, {{PR_SIZE_TEST, TABLE_SORT_DESCEND}}};
    ASSERT_EQ(m_table->SortTable(&sort, 0), S_OK);
    EXPECT_EQ(Read(), (Names{"Gamma", "Beta", "alpha", "delta"}));
}

TEST_F(TableTest, HrQueryAllRowsAppliesColumnsAndRestrictionFromTheStart)
{
    ASSERT_EQ(m_table->SeekRow(BOOKMARK_END, 0, nullptr), S_OK);
    SizedSPropTagArray(1, cols) = {1, {PR_SIZE_TEST}};
    SPropValue v{};
    SRestriction r{};
    Property(r, v, RELOP_GE, PR_SIZE_TEST);
    v.Value.l = 20;
    RowsHolder rows;
    ASSERT_EQ(HrQueryAllRows(m_table, reinterpret_cast<LPSPropTagArray>(&cols), &r, nullptr, 0,
                             &rows.rows),
              S_OK);
    ASSERT_EQ(rows.rows->cRows, 2u);
    EXPECT_EQ(rows.rows->aRow[0].lpProps[0].Value.l, 30);
    EXPECT_EQ(rows.rows->aRow[1].lpProps[0].Value.l, 20);
    RowsHolder limited;
    EXPECT_EQ(HrQueryAllRows(m_table, nullptr, nullptr, nullptr, 1, &limited.rows),
              MAPI_E_TABLE_TOO_BIG);
    EXPECT_EQ(limited.rows, nullptr);
}

TEST_F(TableTest, BinaryLimitTurnsLargeValuesIntoErrors)
{
    auto rows = std::make_shared<std::vector<Row>>();
    std::vector<BYTE> small(8, 1);
    std::vector<BYTE> large(9, 1);
    rows->push_back(Row{PropValue::Binary(PR_BLOB_TEST, small.data(), small.size())});
    rows->push_back(Row{PropValue::Binary(PR_BLOB_TEST, large.data(), large.size())});
    TableOptions options;
    options.columns = {PR_BLOB_TEST};
    options.binaryLimit = 8;
    CComPtr<IMAPITable> table;
    ASSERT_EQ(MemoryTable::Create(std::move(rows), std::move(options), &table), S_OK);
    RowsHolder out;
    ASSERT_EQ(table->QueryRows(2, 0, &out.rows), S_OK);
    ASSERT_EQ(out.rows->cRows, 2u);
    EXPECT_EQ(out.rows->aRow[0].lpProps[0].ulPropTag, PR_BLOB_TEST);
    EXPECT_EQ(out.rows->aRow[0].lpProps[0].Value.bin.cb, 8u);
    EXPECT_EQ(out.rows->aRow[1].lpProps[0].ulPropTag, PROP_TAG(PT_ERROR, 0x6801));
    EXPECT_EQ(out.rows->aRow[1].lpProps[0].Value.err, MAPI_E_NOT_ENOUGH_MEMORY);
}

TEST_F(TableTest, AllocationFailureGivesNoHalfBuiltRows)
{
    winplat::mapi::MapiFaults::Fail("MAPIAllocateBuffer", MAPI_E_NOT_ENOUGH_MEMORY, 3);
    RowsHolder rows;
    EXPECT_EQ(m_table->QueryRows(4, 0, &rows.rows), MAPI_E_NOT_ENOUGH_MEMORY);
    EXPECT_EQ(rows.rows, nullptr);
    // The cursor did not move: the next query gives the first row.
    EXPECT_EQ(Read(1), Names{"Gamma"});
}

} // namespace
