// CKeyAssignDataSet: a key file, and the merge of its rows with a window's
// default accelerators into the accelerator entries the window uses.
#pragma once

#include "core/KeyAssignData.h"
#include "core/QDDataStrgSet.h"

#include <vector>

class CKeyAssignDataSet : public CQDDataStrgSet
{
public:
    static const int kColumnCount = 8;
    CKeyAssignDataSet() { m_nColumnCount = kColumnCount; }

    CDataStrgRecord* CreateNewRecord() override;
    BOOL SetRecordField(int nColumn, const char* pszField, CDataStrgRecord* pRecord) override;
    // Rows without a command or without any key are dropped.
    void WriteRecord(CFile& file, CDataStrgRecord* pRecord) override;

    CKeyAssignData* GetKey(int nIndex) const { return static_cast<CKeyAssignData*>(GetRecord(nIndex)); }
    CKeyAssignData* AddKey(int nCommand, int nKey, int nModifiers);
    // Replaces the rows by one per accelerator entry.
    void SetFromAccelerators(const ACCEL* pTable, int nCount);

    // Builds the accelerator entries of a window from the rows, in file order,
    // then the window's defaults for every command that has no row (a command
    // whose keys were removed, key -1, gets none). Rows for commands the window
    // does not have are skipped, unless bIsPlugIn says the command is one of
    // the window's plug-in commands. Commands with the "ICON" key go to
    // pIconCommands. Returns whether rows were added for defaults (the file
    // then needs writing).
    BOOL BuildAccelerators(const ACCEL* pDefaults, int nDefaults, bool (*pfnIsPlugIn)(UINT nCommand),
                           std::vector<ACCEL>& entries, std::vector<UINT>* pIconCommands = nullptr);
    // Brings a loaded table of a window kind (0 main, 1 viewer, 2 editor) up
    // to date with commands added since older key files were written, and
    // writes it when it changed.
    BOOL Upgrade(int nKind);
    // The first row of a command that is not deleted, or null.
    CKeyAssignData* FindCommand(int nCommand) const;
    // The first row that gives the command a real key, or null.
    CKeyAssignData* FindAssignedKey(int nCommand) const;
};

// The rows of an accelerator table of the resources; empty when it is missing.
std::vector<ACCEL> LoadAcceleratorResource(UINT nID);
