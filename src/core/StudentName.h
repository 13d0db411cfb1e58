#pragma once

#include <QString>

// A student's name becomes part of a report's file name, so it must be usable as one.
namespace StudentName {

// Why `name` cannot name a report file, as a notice for the student; empty when it can.
QString problem(const QString& name);

// Why `group` cannot stand in a report as typed, as a notice; empty when it can.
QString groupProblem(const QString& group);

} // namespace StudentName
