// The schematic hierarchy (module SCHHIER): a hierarchical component carries
// a hierarchy attribute text naming a child level; every entry of its symbol
// becomes a port, a net of the entry's name inside the child level reached
// by a short stub wire ending in a port label. Building a child sheet,
// reading which child a component refers to, finding the symbol that serves
// a level, and keeping the hierarchy texts of the components up to date.
// (The hierarchy tree walks are in hier_tree.h, the child level's file
// objects in hier_files.h.)
//
// Every procedure that visits another level makes the level it started in
// current again, in g_CurHier and in the kernel, on every path.
// Status: 0 done, 1 failed; LoadSubHierPorts also 2 (see there).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// Mask bits: hierarchy attribute and port texts (items), symbols that carry
// hierarchy texts, port stub wires (branches, created with flags 17), and
// levels not yet reached by a tree walk.
constexpr int32_t kHierTextMask = 32;
constexpr int32_t kHierStubMask = 16;
constexpr int32_t kHierStubFlags = 17;
constexpr int32_t kHierUnvisited = 512;

// The hierarchy attribute of a component or symbol. Its text is Kind,
// HierName, Tag and Extra joined by commas ("X,SUB,hierarchy").
struct HierAttrRec {
    std::string Kind;          // "X"
    std::string HierName;      // the child level's name
    std::string Tag;           // "hierarchy"
    std::string Description;   // from the child's description object; never written into the text
    std::string Extra;         // optional fourth field, kept and written back
    int32_t Reserved1 = 0;
    int32_t HierId = 0;        // the child level (CreateSubHier, LoadSubHierPorts)
    int32_t Reserved2 = 0;
    int32_t Reserved3 = 0;     // set to 0 by CreateSubHier and LoadSubHierPorts
    std::string Reserved4;
    std::string Reserved5;
};

// One port of a hierarchical component.
struct HierPortRec {
    int32_t EntryNo = 0;       // symbol entry of the port; 0 when not known
    std::string EntryName;
    int32_t Reserved1 = 0;
    int32_t Reserved2 = 0;
    int32_t Reserved3 = 0;
    std::string Reserved4;
    int32_t Reserved5 = 0;
    std::string Reserved6;
    std::string Reserved7 = std::string(5, ' ');
    int32_t Reserved8 = 0;
};

// The attribute's text as it is stored.
std::string HierAttrText(const HierAttrRec& attr);

// Builds the ports of child level `hier` for component `comp` of the
// current level: a net, a stub wire and a port label for every entry whose
// net the child does not have yet; then the child's description and net
// list, and the component's hierarchy texts. `unused` is not read. A level
// whose name is blank, longer than 15 characters or borne by another level
// too is refused (status 1) before anything changes.
void CreateSubHier(int32_t& status, int32_t unused, int32_t comp, int32_t hier);

// The child level a component refers to: its own attribute, else its
// symbol's (own = 0 then). Id 0 and an empty name unless the attribute is
// exactly "X" with the tag "hierarchy" and names an existing level.
void GetCompSubHier(int32_t& subHier, std::string& subHierName, int32_t& own, int32_t comp, int32_t symbol);
// The attribute text of a component (first field "X", any case, and at
// least three fields) or of a symbol (any text with at least one field).
// Fields not read keep the caller's values.
void ReadCompHierAttr(int32_t& status, int32_t comp, HierAttrRec& attr);
void ReadSymbHierAttr(int32_t& status, int32_t symbol, HierAttrRec& attr);

// The symbol of the first component of any level whose attribute names
// level `hier`; 0 when none.
int32_t FindHierSymbol(int32_t hier);

// The ports remembered by the level named attr.HierName. status 1: no such
// level (or it cannot be made current); 2: it has no remembered port nets
// or no description name; 0: done, attr filled (Kind, Tag, Description,
// HierId) and one port per remembered net.
void LoadSubHierPorts(int32_t& status, HierAttrRec& attr, std::vector<HierPortRec>& ports);

// Replaces the hierarchy texts of a symbol (ownerKind 0) or component (1):
// the attribute text (link 0) and one port text "1", "2", ... linked to
// each port's entry. A symbol also gets its mark 32.
void MakeHierLabels(int32_t& status, int32_t ownerKind, int32_t owner, const HierAttrRec& attr,
                    const std::vector<HierPortRec>& ports);

// The settings-load pass: every hierarchical symbol's instances in every
// level get their hierarchy texts rebuilt from the child level that bears
// the symbol's name, and the symbol loses its own hierarchy texts. Runs at
// each settings load and rewrites every instance each time.
void RefreshHierLabels();

// Small helpers of the hierarchy code.
// Makes every level current in turn and calls visit(level) there; stops at
// the first visit that returns true, and says whether one did. The level
// current before is current again after.
bool VisitEveryLevel(const std::function<bool(int32_t level)>& visit);
// The same for every component of every level that reads: visit(component,
// its symbol), with the component's level current.
bool VisitEveryComponent(const std::function<bool(int32_t comp, int32_t symbol)>& visit);
// The name of level `hier` ("" when there is none).
std::string HierLevelName(int32_t hier);
// Whether level `hier` exists: asked before switching to a level that may
// be gone, since a switch to a missing level fails the edit it is part of.
bool HierLevelExists(int32_t hier);
// Rebuilds the current level's free-id heaps: nodes, junctions, bend
// points, in that order.
void RebuildHeaps();
