/* The version the Windows programs carry in their resources and the installer shows.
   The text keeps the two decimals the product has always printed ("2.05"); the numbers
   are major, minor, 0, 0. The text must equal NELVORA_VERSION_TEXT of the top
   CMakeLists.txt, which the About window shows; nelvora.nsi reads the text from here. */
#define NELVORA_RC_VERSION_TEXT "2.05"
#define NELVORA_RC_VERSION_NUMBERS 2,5,0,0
