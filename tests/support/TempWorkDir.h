#pragma once

#include <gtest/gtest.h>

#include <QDir>
#include <QString>
#include <QTemporaryDir>

// A fixture that runs each test in a fresh temporary working directory, so that the
// program's Tarvex.mdb and Tarvex.ini are the test's own.
class TempWorkDirTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        m_previous = QDir::currentPath();
        ASSERT_TRUE(QDir::setCurrent(m_dir.path()));
    }
    void TearDown() override { QDir::setCurrent(m_previous); }

    QString path(const QString& name) const { return m_dir.filePath(name); }
    QString dirPath() const { return m_dir.path(); }

private:
    QTemporaryDir m_dir;
    QString m_previous;
};
