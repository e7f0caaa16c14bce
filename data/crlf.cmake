# cmake -DINPUT=... -DOUTPUT=... -P crlf.cmake
# Copies a text file with CR LF line ends: the document printing splits lines at CR.
file(READ "${INPUT}" text)
string(REPLACE "\r\n" "\n" text "${text}")
string(REPLACE "\n" "\r\n" text "${text}")
file(WRITE "${OUTPUT}" "${text}")
