// CFundDataCache: the last reply record of each list the fund forms need again and again, kept for the run.
// Entries 1 (the user's fund holdings) and 7 (their prices and states) belong to the trade log-in: they read
// as empty whenever the user is not logged in to trading.
#pragma once

class CDataSet;

class CFundDataCache {
public:
    static constexpr int ENTRY_COUNT = 7;

    CFundDataCache();
    virtual ~CFundDataCache();
    CFundDataCache(const CFundDataCache&) = delete;
    CFundDataCache& operator=(const CFundDataCache&) = delete;

    // Takes the set over; the one held before is destroyed and deleted unless it is the same. Null empties.
    // index 1 to 7; other indexes do nothing (and a set handed in is then not taken).
    void SetEntry(int index, CDataSet* set);
    // The held set or null; entries 1 and 7 are null while not logged in to trading.
    CDataSet* GetEntry(int index) const;

    void SetEntry1(CDataSet* set) { SetEntry(1, set); }
    void SetEntry2(CDataSet* set) { SetEntry(2, set); }
    void SetEntry3(CDataSet* set) { SetEntry(3, set); }
    void SetEntry4(CDataSet* set) { SetEntry(4, set); }
    void SetEntry5(CDataSet* set) { SetEntry(5, set); }
    void SetEntry6(CDataSet* set) { SetEntry(6, set); }
    void SetEntry7(CDataSet* set) { SetEntry(7, set); }
    CDataSet* GetEntry1() const { return GetEntry(1); }
    CDataSet* GetEntry2() const { return GetEntry(2); }
    CDataSet* GetEntry3() const { return GetEntry(3); }
    CDataSet* GetEntry4() const { return GetEntry(4); }
    CDataSet* GetEntry5() const { return GetEntry(5); }
    CDataSet* GetEntry6() const { return GetEntry(6); }
    CDataSet* GetEntry7() const { return GetEntry(7); }

private:
    CDataSet* entries[ENTRY_COUNT];
};
