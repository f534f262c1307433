#pragma once

// Wine's crypt32 has no encoder of X509_CERT_REQUEST_TO_BE_SIGNED (it reports "Unimplemented
// encoder for lpszStructType OID 4" and the encoding fails with ERROR_FILE_NOT_FOUND), so
// CryptSignAndEncodeCertificate cannot make a PKCS#10 request there. Where the platform lacks
// it, the tests install one into this process through CryptoAPI's own extension point
// (CryptInstallOIDFunctionAddress), assembled from the encoders the platform does have:
// X509_INTEGER, X509_PUBLIC_KEY_INFO, PKCS_ATTRIBUTES and X509_SEQUENCE_OF_ANY. Ravelin's call
// stays what it is on Windows; only the platform's missing piece is supplied. Windows has its
// own encoder, and nothing is installed there.
namespace tessaly::ravelin::testing {

// True when the platform encodes requests, on its own or with the installed encoder.
bool EnsureRequestInfoEncoder();

}  // namespace tessaly::ravelin::testing
