#pragma once

#include <QString>

namespace quandrelle {

// What the data input screen asks of the vapor screen when it opens it for a slot. The vapor
// screen implements this next to its own widget class.
class VaporSlotEditor {
public:
    virtual void ClearVaporForm() = 0;
    virtual void SetOldVaporFields(int slot) = 0;
    virtual void RefillChemicalList(int recordCount) = 0;
    // The number of records in the vapor file, the length of the list to refill.
    virtual int vaporRecordCount() const = 0;
    virtual void setAvgVapConcText(const QString& text) = 0;
    virtual void focusChemName() = 0;

protected:
    ~VaporSlotEditor() = default;
};

// What the data input screen asks of the results screen when it leads on to it.
class ResultsDisplay {
public:
    virtual void ShowInputsOnResults() = 0;
    virtual void ClearResultsDisplay() = 0;
    // Puts the focus on the breakthrough concentration field of a row (1..5).
    virtual void focusBreakConc(int row) = 0;

protected:
    ~ResultsDisplay() = default;
};

}  // namespace quandrelle
