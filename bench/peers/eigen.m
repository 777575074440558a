% eig of a 500 x 500 symmetric matrix with and without vectors: milliseconds (best of 3).
rand("seed", 5);
b = rand(500, 500);
a = b + b';
bv = be = 1e9;
for k = 1:3
  tic; [v, d] = eig(a); bv = min(bv, toc);
  tic; w = eig(a); be = min(be, toc);
end
printf("eigvv ms %g\neigval ms %g\n", bv * 1e3, be * 1e3);
