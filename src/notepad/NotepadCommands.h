#pragma once

// The editing, formatting and printing commands of the notepad.
namespace notepadcmd {

inline constexpr int PrintDirect = 57608;
inline constexpr int PrintPreview = 57609;
inline constexpr int EditCopy = 57634;
inline constexpr int EditCut = 57635;
inline constexpr int EditFind = 57636;
inline constexpr int EditPaste = 57637;
inline constexpr int EditRepeat = 57640;
inline constexpr int EditReplace = 57641;
inline constexpr int EditSelectAll = 57642;
inline constexpr int EditUndo = 57643;
inline constexpr int EditRedo = 57644;
inline constexpr int Bold = 32888;
inline constexpr int Italic = 32889;
inline constexpr int Underline = 32890;
inline constexpr int AlignLeft = 32891;
inline constexpr int AlignRight = 32892;
inline constexpr int AlignCenter = 32893;

}  // namespace notepadcmd
