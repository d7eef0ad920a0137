// The account the process runs under.
#pragma once

// 1 when the account name equals, with case, "SYSTEM", "SYSTÈME" or "Système".
int IsSystemAccount();
// The same test on a given name.
int IsSystemAccountName(const wchar_t* _pszName);
