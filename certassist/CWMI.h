#pragma once

#include <windows.h>

#include "CString.h"

// Result codes of CWMI.
enum : DWORD {
  WMI_OK = 0,
  WMI_NO_MATCH = 0xE0010400,
  WMI_COM_FAILED = 0xE0010401,
  WMI_SECURITY_FAILED = 0xE0010402,
  WMI_LOCATOR_FAILED = 0xE0010403,
  WMI_CONNECT_FAILED = 0xE0010404,
  WMI_PROXY_FAILED = 0xE0010405,
  WMI_QUERY_FAILED = 0xE0010406,
};

// Runs one WQL query against the local machine's ROOT\CIMV2 namespace and
// either appends chosen properties of every result to a text report or
// tests whether a result has a property with a given value. Queries of all
// CWMI objects of the process run one at a time: a query started on another
// thread waits for the running one to finish.
//
// Properties become text in one way everywhere: strings as they are (dates
// stay in the "yyyymmddHHMMSS.mmmmmmsUUU" text that WMI gives, 64-bit
// numbers in WMI's decimal text); other numbers in decimal, unsigned ones
// unsigned; booleans "TRUE" or "FALSE"; a null or empty value as an empty
// text; arrays as their elements' texts joined by ","; an embedded object
// cannot become text and counts as a property that cannot be read.
//
// Each query initialises COM (multithreaded) on the calling thread; the
// destructor undoes the initialisations of its own object, so an object is
// destroyed on the thread that ran its queries.
class CERTASSIST_API CWMI {
 public:
  explicit CWMI(CString query);
  // The report starts with title and "\r\n".
  CWMI(CString title, CString query);
  CWMI(const CWMI& other);
  CWMI& operator=(const CWMI& other);
  ~CWMI();

  CString GetResult();

  // For every result, the count named properties in order, separated by
  // "\t\t", "\r\n" after the last. A property that cannot be read ends the
  // report with "\r\n---获取值发生错误---\r\n". 0, or the code (and line)
  // of the step of the query that failed, also when the query fails while
  // its results are read. Nothing is asked without a property.
  DWORD CreateReport(const wchar_t* const* properties, int count);

  // 0 when a result's property, blanks removed and lower-cased, equals
  // expected (given lower-case without blanks; an empty text matches
  // nothing) and, with mustBeStarted, the result's "Started" is true (where
  // WMI does not have "Started", its "State" is "Running" or "Paused").
  // 0xE0010400 when no result matches, or the code of the failed step.
  DWORD Check(const wchar_t* property, CString expected, int mustBeStarted);

 private:
  DWORD Initial();
  DWORD Fail(DWORD code, const wchar_t* line);
  DWORD QueryFailed();

  CString m_strResult;
  CString m_strQuery;
  int m_comInitialised;  // successful CoInitializeEx calls to undo
};
