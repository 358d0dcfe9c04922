#pragma once
// QScintilla's headers use Qt's "signals" and "slots" keywords, which this program switches off
// (the core calls its signal lists "signals"). Include them only through here.

#define signals Q_SIGNALS
#define slots Q_SLOTS
#include <Qsci/qscicommand.h>
#include <Qsci/qscicommandset.h>
#include <Qsci/qscilexerpascal.h>
#include <Qsci/qsciscintilla.h>
#undef signals
#undef slots
