* A JPEG (written here from its Base64) is shown, and the temporary bitmap
* made from it is gone afterwards; a missing picture with "&" shows nothing
* and does not stop the run; IMAGEM alone removes the picture.
* file: foto.b64=/9j/4AAQSkZJRgABAQAAAQABAAD/2wBDAAIBAQEBAQIBAQECAgICAgQDAgICAgUEBAMEBgUGBgYFBgYGBwkIBgcJBwYGCAsICQoKCgoKBggLDAsKDAkKCgr/2wBDAQICAgICAgUDAwUKBwYHCgoKCgoKCgoKCgoKCgoKCgoKCgoKCgoKCgoKCgoKCgoKCgoKCgoKCgoKCgoKCgoKCgr/wAARCAADAAQDAREAAhEBAxEB/8QAFAABAAAAAAAAAAAAAAAAAAAACP/EABsQAAMBAAMBAAAAAAAAAAAAAAECAwQAESFB/8QAFQEBAQAAAAAAAAAAAAAAAAAACAn/xAAaEQEBAQEAAwAAAAAAAAAAAAABAgQDAAUR/9oADAMBAAIRAxEAPwAWZ8+fJnTJkgkpSQJKU1CqigdAADwAD5wvb9+72m7rt29a69utVd3dNXd0tVd1S1VVStUqqqv3y+eLFj9bj55MnOefLnJERATMTIEzMgEzIAAAAAfPP//Z
* file: tmp/marca.txt=x
* env: TMPDIR={root}/c/tmp
* log: picture FOTO.JPG
* no-log: picture falta.jpg
* screen: marca.txt []
DECODARQBASE64 "foto.b64" "foto.jpg"
IMAGEM "FOTO.JPG"
IMAGEM "falta.jpg" 10 10 &
IMAGEM
BUSCA N "tmp\*"
BUSCA M PROXIMO
ESCREVE N " [" M "]"
TERMINA MUDO
