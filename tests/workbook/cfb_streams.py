"""Lists the streams of a compound file as xlrd's container reader sees
them: name, size and SHA-1 of the content, one line each ("Workbook" gives
only its presence, since its content is what the writer changes)."""
import hashlib
import sys
from xlrd import compdoc

data = open(sys.argv[1], "rb").read()
doc = compdoc.CompDoc(data, logfile=open("/dev/null", "w"))
for entry in doc.dirlist:
    if entry.etype != 2:
        continue
    if entry.name == "Workbook":
        print("Workbook")
        continue
    content = doc.get_named_stream(entry.name)
    print("%r %d %s" % (entry.name, len(content), hashlib.sha1(content).hexdigest()))
