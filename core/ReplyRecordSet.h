// CReplyRecordSet: a whole server reply split into data sets, which it owns, with its error record and text.
#pragma once

#include "core/DataSet.h"
#include "core/GrowArray.h"
#include "platform/win/WinTypes.h"

class CReplyRecordSet {
public:
    static constexpr UINT REPLY_CAPACITY = 10;
    static constexpr UINT EMPTY_CAPACITY = 64;

    // Parses the reply body (see Load).
    CReplyRecordSet(const BYTE* data, DWORD length);
    // Takes the body's block over (body is left empty) and parses it in place: the sets read their rows and
    // texts in that block instead of copies, and it lives as long as any of them.
    explicit CReplyRecordSet(CByteBuffer&& body);
    // An empty set for callers that fill it themselves; it counts as an error until loaded.
    CReplyRecordSet();
    virtual ~CReplyRecordSet();
    CReplyRecordSet(const CReplyRecordSet&) = delete;
    CReplyRecordSet& operator=(const CReplyRecordSet&) = delete;

    // Replaces the records with the sets of the body when at least one parses; an empty or unreadable body
    // changes nothing. hasError ends up 1 when one of them is named "error" (the last such one is the error
    // record), 0 otherwise.
    void Load(const BYTE* data, DWORD length);
    void Load(CByteBuffer&& body);
    // Deletes every record; hasError stays as it was.
    void Clear();
    // Forgets the records without deleting them: the caller has taken over those it wanted.
    void Detach();

    int GetCount() const { return (int)records.count; }
    // The address of slot i, or of a slot that always reads null when i is out of range.
    CDataSet** GetRecord(int i);
    // The text to show for an error reply, 8-bit; never null.
    const char* GetErrorText();

    void Append(CDataSet* set);
    void InsertAt(int index, CDataSet* set);
    // Hands every record over to other (whose own records are deleted first).
    void MoveTo(CReplyRecordSet& other);

    PtrArray<CDataSet> records;
    int hasError = 1;
    int errorIndex = -1;

private:
    // Takes the n parsed sets over (Load's last step) and frees the array.
    void Adopt(CDataSet** parsed, int n);

    CDataSet* nullRecord = nullptr;
};
