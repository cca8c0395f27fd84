// What the Windows test programs share: a tally of checks that ends in the
// line "N passed, N failed", late-bound calls, and song files built byte by
// byte. Run under Wine by run-wine-tests.
#pragma once

#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#include <oleauto.h>
#include <wrl/client.h>

#include <cstdint>
#include <cstdio>
#include <initializer_list>
#include <string>
#include <vector>

#include "WideText.h"

namespace sonara::wintest {

using Microsoft::WRL::ComPtr;

class Tally {
 public:
  void Expect(bool ok, const std::string& what) {
    if (ok) {
      ++passed_;
    } else {
      ++failed_;
      std::printf("FAILED: %s\n", what.c_str());
    }
  }
  template <class T>
  void ExpectEq(const T& actual, const T& expected, const std::string& what);
  // Prints the final line; the exit code is 0 only when nothing failed.
  int Finish() const {
    std::printf("%d passed, %d failed\n", passed_, failed_);
    std::fflush(stdout);
    return failed_ == 0 && passed_ > 0 ? 0 : 1;
  }

 private:
  int passed_ = 0;
  int failed_ = 0;
};

std::string HResultText(HRESULT hr);

// A VARIANT argument or result that clears itself.
class Value {
 public:
  Value() { ::VariantInit(&v_); }
  ~Value() { ::VariantClear(&v_); }
  Value(const Value&) = delete;
  Value& operator=(const Value&) = delete;
  Value(Value&& o) noexcept : v_(o.v_) { ::VariantInit(&o.v_); }
  Value& operator=(Value&& o) noexcept {
    if (this != &o) {
      ::VariantClear(&v_);
      v_ = o.v_;
      ::VariantInit(&o.v_);
    }
    return *this;
  }

  static Value I2(short x);
  static Value I4(long x);
  static Value Text(const std::string& s);
  static Value Bool(bool b);

  VARIANT* get() { return &v_; }
  const VARIANT& ref() const { return v_; }
  std::string AsText() const;  // "" when it cannot be read as text
  long AsLong() const;         // -99999 when it is no number

 private:
  VARIANT v_;
};

// Arguments for Call, moved in.
template <class... V>
std::vector<Value> Args(V&&... values) {
  std::vector<Value> args;
  (args.push_back(std::move(values)), ...);
  return args;
}

// The outcome of a late-bound call.
struct CallResult {
  HRESULT hr = E_FAIL;
  Value value;
  SCODE scode = 0;           // from EXCEPINFO when hr is DISP_E_EXCEPTION
  std::string description;   // likewise
};

// Calls `id` with arguments in declaration order (for a property put the
// value last).
CallResult Call(IDispatch* object, DISPID id, WORD flags, std::vector<Value> args = {});
DISPID IdOfName(IDispatch* object, const std::string& name);

// Song files.
using Bytes = std::vector<uint8_t>;
Bytes operator+(Bytes a, const Bytes& b);
Bytes Vlq(uint32_t v);
Bytes Header(uint16_t tracks, uint16_t division);
Bytes Track(const Bytes& events);
Bytes Ev(uint32_t delta, std::initializer_list<uint8_t> bytes);
Bytes Meta(uint32_t delta, uint8_t type, const std::string& data);
// Writes the bytes to a new file in the temporary folder; returns its path.
std::string WriteTempFile(const std::string& name, const Bytes& bytes);

template <class T>
void Tally::ExpectEq(const T& actual, const T& expected, const std::string& what) {
  if (actual == expected) {
    Expect(true, what);
    return;
  }
  if constexpr (std::is_same_v<T, std::string>) {
    Expect(false, what + ": got \"" + actual + "\", expected \"" + expected + "\"");
  } else {
    Expect(false, what + ": got " + std::to_string(actual) + ", expected " + std::to_string(expected));
  }
}

}  // namespace sonara::wintest
