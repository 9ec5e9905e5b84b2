#pragma once

namespace quandrelle::forms {

// The names under which the screens are listed: each screen exists once and is known by its name.
inline constexpr const char* kOpening = "Opening";
inline constexpr const char* kAbout = "About";
inline constexpr const char* kExitDialog = "ExitDialog";
inline constexpr const char* kInputMasterFive = "InputMasterFive";
inline constexpr const char* kUseOneM = "UseOneM";
inline constexpr const char* kCartridge = "frmCartridgeMulti";
inline constexpr const char* kVapor = "frmVaporMulti";
inline constexpr const char* kResults = "BreakTimeFive";
inline constexpr const char* kLimitsMessage = "LimitsMessage";

}  // namespace quandrelle::forms
