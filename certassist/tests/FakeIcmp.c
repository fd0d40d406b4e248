/* An ICMP library of the tests' own, loaded by name in place of the
 * system's. It answers without a network, as the environment variable
 * FAKE_ICMP_MODE asks: "echo" (the default: the data sent comes back),
 * "other-data", "unreachable" (a reply of another status) or "timeout" (no
 * reply). It records what it was asked in FAKE_ICMP_REQUEST and counts the
 * handles closed in FAKE_ICMP_CLOSED. */
#include <windows.h>
#include <ipexport.h>
#include <stdio.h>
#include <string.h>

#define FAKE_HANDLE ((HANDLE)(ULONG_PTR)0x1C3F)

static int Mode(const wchar_t* name) {
  wchar_t mode[32] = L"";
  GetEnvironmentVariableW(L"FAKE_ICMP_MODE", mode, 32);
  return wcscmp(mode, name) == 0;
}

__declspec(dllexport) HANDLE WINAPI IcmpCreateFile(void) { return FAKE_HANDLE; }

__declspec(dllexport) BOOL WINAPI IcmpCloseHandle(HANDLE handle) {
  wchar_t count[16] = L"0";
  GetEnvironmentVariableW(L"FAKE_ICMP_CLOSED", count, 16);
  swprintf(count, 16, L"%d", _wtoi(count) + (handle == FAKE_HANDLE ? 1 : 1000));
  SetEnvironmentVariableW(L"FAKE_ICMP_CLOSED", count);
  return TRUE;
}

__declspec(dllexport) DWORD WINAPI IcmpSendEcho(HANDLE handle, IPAddr address, LPVOID data, WORD size,
                                                PIP_OPTION_INFORMATION options, LPVOID replyBuffer, DWORD replySize,
                                                DWORD timeout) {
  wchar_t request[160];
  const BYTE* bytes = (const BYTE*)data;
  swprintf(request, 160, L"to=%u.%u.%u.%u handle=%d ttl=%u tos=%u flags=%u size=%u first=%02x last=%02x timeout=%lu room=%d",
           (unsigned)(address & 0xFF), (unsigned)(address >> 8 & 0xFF), (unsigned)(address >> 16 & 0xFF),
           (unsigned)(address >> 24), handle == FAKE_HANDLE, options ? options->Ttl : 999, options ? options->Tos : 999,
           options ? options->Flags : 999, size, size ? bytes[0] : 0, size ? bytes[size - 1] : 0, timeout,
           replySize >= sizeof(ICMP_ECHO_REPLY) + size + 8);
  SetEnvironmentVariableW(L"FAKE_ICMP_REQUEST", request);
  if (replySize < sizeof(ICMP_ECHO_REPLY) + size + 8) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  if (Mode(L"timeout")) {
    SetLastError(IP_REQ_TIMED_OUT);
    return 0;
  }
  ICMP_ECHO_REPLY* reply = (ICMP_ECHO_REPLY*)replyBuffer;
  memset(reply, 0, sizeof *reply);
  reply->Address = address;
  reply->Status = Mode(L"unreachable") ? IP_DEST_HOST_UNREACHABLE : IP_SUCCESS;
  reply->RoundTripTime = 7;
  reply->DataSize = Mode(L"unreachable") ? 0 : size;
  reply->Data = reply + 1;
  memcpy(reply->Data, data, size);
  if (Mode(L"other-data") && size > 0) ((BYTE*)reply->Data)[size / 2] ^= 0xFF;
  return 1;
}
