// Signing for `mcftool build --sign CMD`: the uninstaller a stub carries is
// taken out, signed and put back, and the finished setup.exe is signed in
// place. CMD is the user's own signing command (osslsigncode, a script that
// calls signtool elsewhere, ...); whatever it does, only a signature may be
// added, so every signed file is compared with what was handed to it.
#pragma once
#include <string>
#include <vector>

#include "mcfformat.h"
#include "safeout.h"

// Runs `/bin/sh -c command sh file`: the file is $1, never pasted into the
// command's text. Its standard output goes to standard error (mcftool's
// standard output carries only results). False with *why saying how it
// ended when it does not exit with status 0.
bool RunSignCommand(const std::string &command, const std::string &file, std::string *why);

// Copies the file at from_path into `to` (open, at its start), runs the
// command on to's temporary file, opens the result again and checks that
// it is the copy with an Authenticode signature added and nothing else
// changed but the PE checksum: the security entry of the data directories,
// and the certificate table appended (after up to 7 zero bytes of padding).
// `label` names the file in *why.
bool SignCopy(const std::string &command, const std::string &from_path, const std::string &label,
              SafeOutputFile *to, std::string *why);

// The stub with its uninstaller (CMPFILE resource 131, a container of one
// file) signed: decoded and checked, an earlier signature dropped, written
// beside out_path, signed by SignCopy, imploded again into a container of
// the same name and written back into the stub (*signed_stub; *notes as
// PeWriteResource's). False with *why.
bool SignStubUninstaller(const Bytes &stub, const std::string &command, const std::string &out_path,
                         Bytes *signed_stub, std::vector<std::string> *notes, std::string *why);

// The image without its Authenticode signature, as it was before signing
// but for the PE checksum: the certificate table cut off, the security
// entry zeroed. Unchanged when it has none. False with *why when the
// signature is not where signing puts it (at the end of the file).
bool PeDropSignature(Bytes *image, std::string *why);
