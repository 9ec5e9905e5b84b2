#pragma once

namespace quandrelle {

// Ending the program. The commands that end it call endProgram() and then return without touching
// any screen again; the real implementation stops the event loops, after which the application
// closes its record files as it winds down.
class ProgramControl {
public:
    virtual ~ProgramControl() = default;
    virtual void endProgram() = 0;
    virtual bool isEnding() const = 0;
};

class QtProgramControl : public ProgramControl {
public:
    void endProgram() override;
    bool isEnding() const override { return m_ending; }

private:
    bool m_ending = false;
};

}  // namespace quandrelle
