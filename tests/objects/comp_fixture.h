// A small design with a packed quad NAND (two gates of U1), a resistor, a
// power symbol and a wire between R1 and U1, for the component tests.
#pragma once

#include "editor/objects/comp_state.h"
#include "editor/objects/wire_state.h"
#include "tests/objects/wire_fixture.h"

#include <string>

namespace palvane_test {

// N: R1.2 (-17, 0) - U1/1 entry A (pin 1) at (-3, 1).
inline const char* kQuadNand = R"(
include discrete.nls
include ics.nls
include power.nls
unit 0.1in
design D
level MAIN
net N
page P frame 60 40
  component U1 74HC00 gate A at 0 0
  component U1 74HC00 gate B at 0 10
  component R1 R at -20 0
  component V1 symbol SPLVCC at 20 10
  wire N R1.2 U1.1
end
)";

class CompTest : public KernelTest {
protected:
    void SetUp() override
    {
        KernelTest::SetUp();
        ASSERT_TRUE(BuildDesign(kQuadNand));
        g_Comp = CompRec{};
        g_CompOld = CompRec{};
        g_CompId = 0;
        g_CompEntry = 0;
        g_CompName.clear();
        g_CompAnchor = {};
        g_CompAnchorStart = {};
        g_CompInfo = CompInfoRec{};
        g_MaskedBranchIds.Redim(0, 0);
        g_NetNodes.Redim(0, 0);
    }

    static CompRec Read(int32_t id)
    {
        CompRec rec{};
        C_ReadComponent(id, &rec);
        return rec;
    }
    static std::string Name(int32_t id) { return PtrToStrCopy(Read(id).Name); }
    static std::string PtrToStrCopy(const char* text) { return text ? text : ""; }
    static int32_t LayComp(const char* name) { return OM_FindName(DB_LayCompMap(), name); }
    static int32_t Device(const char* name) { return OM_FindName(DB_DeviceMap(), name); }
    static int32_t Symbol(const char* name) { return OM_FindName(DB_SymbMap(), name); }

    // The texts of a component: (flags, link, text) as read.
    struct Text {
        int32_t flags;
        int32_t link;
        std::string text;
        ItemRec rec;
    };
    static std::vector<Text> Texts(int32_t comp)
    {
        std::vector<Text> texts;
        const int32_t n = OA_GetCount(C_CompTextArray(comp));
        for (int32_t i = 1; i <= n; ++i) {
            ItemRec rec{};
            if (I_ReadItem(C_CompText(comp, i), &rec) == 0) continue;
            texts.push_back({rec.Flags, rec.Link, PtrToStrCopy(rec.Text), rec});
        }
        return texts;
    }
    // The texts carrying a bit of `mask`.
    static std::vector<Text> TextsWith(int32_t comp, int32_t mask)
    {
        std::vector<Text> found;
        for (const Text& t : Texts(comp))
            if ((t.flags & mask) != 0) found.push_back(t);
        return found;
    }
    // The node of a pin on a side, 0 when none; its net in `net`.
    static int32_t PinNode(int32_t view, int32_t comp, int32_t entry, int32_t* net = nullptr)
    {
        N_SetNodeView(view);
        int32_t n = 0;
        const int32_t node = N_FindCompEntry(comp, entry, &n);
        N_SetNodeView(0);
        if (net) *net = n;
        return node;
    }
    // How many nodes of the level have (comp, entry) on the side.
    static int CountPinNodes(int32_t view, int32_t comp, int32_t entry)
    {
        int count = 0;
        const int32_t nets = DB_NetMap();
        int32_t cursor = OM_GetFirst(nets);
        while (const int32_t net = OM_SearchMask(nets, &cursor, 0, 0)) {
            const int32_t map = N_NodeMap(net);
            int32_t c = OM_GetFirst(map);
            while (const int32_t node = OM_SearchMask(map, &c, 0, 0)) {
                NodeRec r{};
                N_ReadNode(net, node, &r);
                if (view == 0 ? (r.Comp == comp && r.Entry == entry) : (r.LayComp == comp && r.LayEntry == entry))
                    ++count;
            }
        }
        return count;
    }
};

}  // namespace palvane_test
