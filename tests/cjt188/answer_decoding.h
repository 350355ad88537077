// Answers written out byte by byte and what the module decodes them to: the frame around a
// hand-written body with its byte sum, and a fixture that listens for one meter and function
// and returns the value items of each answer fed.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "params/variant.h"
#include "tests/cjt188/module_harness.h"

namespace cjt::test_support {

// The frame 68 T <body> CS 16; body runs from the address to the last value byte. CS is the
// byte sum of everything before it, from 68 on.
std::string Frame(uint8_t type, std::initializer_list<uint8_t> body);

// A local date-time as days since 1899-12-30.
TVariant DateTime(int day, int hour, int minute);

using TRows = std::vector<std::pair<std::string, TVariant>>;

// Same names in the same order; same type and value: text as text, numbers and date-times
// to well below their last digit.
void ExpectRows(const TRows& got, const TRows& expected);

class AnswerDecoding : public ModuleHarness {
 protected:
  // A listen-only request for the meter and function (extra: more elements of the request,
  // such as its layout variant): every answer fed is decoded whatever its meter type (a
  // request's type is only ever sent).
  void Listen(const std::string& device, const std::string& function, const std::string& extra = "");

  // The value rows of an answer, which comes back as one packet: its items after the
  // header's last one (DATA_TYPE_ID), up to the row marker.
  TRows Decode(const std::string& answer);
};

}  // namespace cjt::test_support
