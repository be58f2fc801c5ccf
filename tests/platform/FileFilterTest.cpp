#include <gtest/gtest.h>

#include "platform/FileFilter.h"

TEST(FileFilter, PipeFormBecomesQtForm) {
    EXPECT_EQ(qtFileFilter("WAV Sound files (*.wav)|*.wav|All files (*.*)|*.*||"),
              "WAV Sound files (*.wav);;All files (*.*)");
    EXPECT_EQ(qtFileFilter("Tarvex Files|*.rtf||"), "Tarvex Files (*.rtf)");
    EXPECT_EQ(qtFileFilter("Pictures|*.png;*.jpg||"), "Pictures (*.png *.jpg)");
}

TEST(FileFilter, PatternsWinOverADescriptionThatNamesOthers) {
    // Qt reads the last parenthesised group, so the real patterns go last.
    EXPECT_EQ(qtFileFilter("Sounds (*.wav)|*.wav;*.wave||"), "Sounds (*.wav) (*.wav *.wave)");
}

TEST(FileFilter, EmptyFilterStaysEmpty) {
    EXPECT_EQ(qtFileFilter(""), "");
    EXPECT_EQ(qtFileFilter("||"), "");
}
