/* A program that uses libcrypto as the key adapters and the file digests do: through EVP,
   whose provider store takes OpenSSL's locks. */
#include <openssl/evp.h>

int main(void) {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int size = 0;
  EVP_MD *md5 = EVP_MD_fetch(NULL, "MD5", NULL);
  int ok = md5 != NULL && EVP_Digest("abc", 3, digest, &size, md5, NULL);
  EVP_MD_free(md5);
  return ok && size == 16 ? 0 : 1;
}
