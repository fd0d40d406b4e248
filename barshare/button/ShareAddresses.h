#pragma once

// The service's addresses that sharing uses. The host names are this
// component's choice; the share page's path is the service's.
namespace ShareAddresses {

// The share page on the service's static-content host. Navigations whose
// address contains it (any case) get the account cookies.
constexpr wchar_t kSharePageUrl[] = L"http://static.zwspace.example/fenra/app/fnshare/post_for_toolbar.html";
// What follows the share page: the escaped address of the page to share.
constexpr wchar_t kShareFragment[] = L"#url=";
// The service's root web domain, for which the account cookies are set.
constexpr wchar_t kMainSiteUrl[] = L"http://zwspace.example";

}  // namespace ShareAddresses
