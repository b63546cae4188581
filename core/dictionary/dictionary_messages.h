// Messages telling the user what became of a dictionary change.
#pragma once
// The messages that tell the user what became of a dictionary change, for the dictionary
// editor and for kelmoa-tool alike. Lines are joined by CR LF.

#include <string>

#include "core/dictionary/dictionary.h"

namespace kelmoa {

// Why a refused change was refused and what to do about it; empty unless change.outcome is
// kRefused.
std::u16string MsgChangeRefused(const DicChange& change);

// A word (inWord) or meaning holding a character CP932 cannot encode: names the character.
std::u16string MsgNonSjisCharacter(std::u16string_view character, bool inWord);

// One line saying that the dictionary was loaded again because another program had changed
// it, and what then became of this change; empty unless change.reloaded.
std::u16string MsgDicReloaded(const DicChange& change);

}  // namespace kelmoa
