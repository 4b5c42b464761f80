#pragma once

#include "testfilecommands.h"

// A test of 10,000 questions with four options each, for benchmarks and
// stress tests; variants differ in every question.
EditorTest largeTest(const QString &variant = QStringLiteral("A"));
